#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "posix_launch_files.h"
#include "posix_system_info.h"
#include "startup/conn_startup.h"
#include "support/connect_answer_json.h"
#include "support/recording_dialogs.h"
#include "support/scoped_env.h"
#include "support/shell_stand_in.h"
#include "support/test_server.h"
#include "xdg_shell.h"

using nlohmann::json;
using Kind = TRecordingDialogs::TEntry::Kind;

namespace {

struct TRecordingHost : IStartupHost {
  std::vector<std::string> Calls;
  void Terminate() override { Calls.push_back("terminate"); }
  void ShowConnectionWindow() override { Calls.push_back("window"); }
  void CloseStartupForm() override { Calls.push_back("close"); }
};

struct TAnswer {
  int Status = 200;
  std::string Body;
};

class StartupSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    FTimings.StartPauseRounds = 1;
    FTimings.StartPauseRound = std::chrono::milliseconds(1);
    FTimings.ReleasePoll = std::chrono::milliseconds(5);
    FVersion.ProductVersion.VersionFromStr("1.0.0.0");
    FVersion.FileVersion.VersionFromStr("1.0.2.38");
    FServer.Server().Get("/Connect/", [this](const httplib::Request& req, httplib::Response& res) {
      TAnswer answer = FAnswers.empty() ? TAnswer{500, ""} : FAnswers.front();
      if (FAnswers.size() > 1) FAnswers.erase(FAnswers.begin());
      FAccounts.push_back(req.get_param_value("accountnum"));
      res.status = answer.Status;
      res.set_content(answer.Body, "application/json");
    });
    FServer.Server().Get("/c.rdp", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("full address:s:desk.example\r\n", "application/x-rdp");
    });
    FServer.Server().Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html></html>", "text/html");
    });
    FServer.Start();
  }

  // The answers name their connection addresses on port 1; they are served by this server.
  void Answer(int status, const json& body) {
    std::string text = body.dump();
    const std::string placeholder = "http://127.0.0.1:1/";
    for (size_t at; (at = text.find(placeholder)) != std::string::npos;)
      text.replace(at, placeholder.size(), FServer.BaseUrl() + "/");
    FAnswers.push_back({status, text});
  }
  // True when the direct launch handed the connection file to the RDP client.
  bool Launched() const {
    return FStandIn.WaitForCalls(1) && FStandIn.Calls()[0].rfind("xfreerdp3 ", 0) == 0;
  }
  std::string QueryUrl() const { return FServer.BaseUrl() + "/Connect/"; }

  // Runs the whole sequence as the start-up form does, with the given command line.
  void Run(std::vector<std::string> args) {
    TQXConnection conn({FHttp, FUri, FSystem, FDialogs, FVersion, &FShell, &FFiles, nullptr},
                       TQueryTimeouts{}, FTimings);
    TAppConfig config(args, {FDialogs, FSystem, FUri, FStorage, FVersion});
    TConnStartup startup({config, conn, FDialogs, FHost, FVersion});
    startup.FormShow();
  }
  std::vector<std::string> Args(std::vector<std::string> extra) {
    std::vector<std::string> args = {"-n", "-a:123", "-c:" + QueryUrl()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  TTempDir FTemp;
  TScopedEnv FTmpDir{"TMPDIR", FTemp.Path().c_str()};
  TShellStandIn FStandIn{{"xfreerdp3", "xdg-open"}};
  TLaunchTimings FTimings;
  TXdgShell FShell;
  TPosixLaunchFiles FFiles;
  TTestServer FServer;
  std::vector<TAnswer> FAnswers;
  std::vector<std::string> FAccounts;
  TRecordingDialogs FDialogs;
  TRecordingHost FHost;
  TCurlHttpClientFactory FHttp;
  TCurlURIParser FUri;
  TPosixSystemInfo FSystem;
  TNoConfigStorage FStorage;
  TAppResVersionInfo FVersion;
  TConnResponse FResponse;
};

json WithInfo(json answer, const std::string& key, json value) {
  answer["QXConnectInfo"][key] = std::move(value);
  return answer;
}

}  // namespace

TEST_F(StartupSequence, HelpEndsWithoutQuery) {
  Run({"-h"});
  ASSERT_EQ(FDialogs.Count(), 1u);
  EXPECT_EQ(FDialogs.Entries()[0].Type, TMsgDlgType::mtInformation);
  EXPECT_TRUE(FAccounts.empty());
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"terminate"});
}

TEST_F(StartupSequence, CancelledPromptEndsSilently) {
  FDialogs.QueueInputCancel();
  Run({"-c:" + QueryUrl()});
  ASSERT_EQ(FDialogs.Count(), 1u);
  EXPECT_EQ(FDialogs.Entries()[0].What, Kind::Input);
  EXPECT_TRUE(FAccounts.empty());
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"terminate"});
}

TEST_F(StartupSequence, EndingsWithAnErrorMessage) {
  struct Case {
    const char* name;
    int status;
    json body;
    std::vector<std::string> extraArgs;
    std::function<std::string(const std::string& url)> expected;
  };
  const std::vector<Case> cases = {
      {"not found",
       404,
       json::object(),
       {},
       [](const std::string& url) {
         return "Received a not found Response from the server when trying to access the following "
                "URL:\r\n\r\nConnect URL: " +
                url;
       }},
      {"bad request without user",
       400,
       json::object(),
       {},
       [](const std::string& url) {
         return "Received 'Bad Request' Response from the server when trying to access using the "
                "following information:\r\n\r\nPellanor Product Version: 1.0.0.0\r\nPellanor File "
                "Version: 1.0.2.38\r\nConnect URL: " +
                url + "\r\nAccount #: 123";
       }},
      {"bad request with user",
       400,
       json::object(),
       {"-u:tester"},
       [](const std::string& url) {
         return "Received 'Bad Request' Response from the server when trying to access using the "
                "following information:\r\n\r\nPellanor Product Version: 1.0.0.0\r\nPellanor File "
                "Version: 1.0.2.38\r\nConnect URL: " +
                url + "\r\nAccount #: 123\r\nQX User Name: tester";
       }},
      {"no active connection",
       200,
       WithInfo(testanswer::Healthy(), "activeconn", -1),
       {},
       [](const std::string&) {
         return std::string("Received an invalid response from the server.");
       }},
      {"unexpected status",
       401,
       json::object(),
       {},
       [](const std::string&) {
         return std::string("Received an invalid response from the server.");
       }},
      {"server error",
       503,
       json::object(),
       {},
       [](const std::string&) {
         return std::string("Received an invalid response from the server.");
       }},
      {"fatal client version without connection",
       406,
       WithInfo(
           WithInfo(WithInfo(WithInfo(testanswer::Healthy(), "activeconn", -1), "paramsreject", 8),
                    "paramsfatal", 8),
           "messages", json::array({"Please update your client."})),
       {},
       [](const std::string&) {
         return std::string("Please update your client.\r\n\r\nThe connection will now terminate.");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FAnswers.clear();
    FDialogs.Clear();
    FHost.Calls.clear();
    Answer(c.status, c.body);
    Run(Args(c.extraArgs));
    const auto entries = FDialogs.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Type, TMsgDlgType::mtError);
    EXPECT_EQ(entries[0].Text, c.expected(QueryUrl()));
    EXPECT_EQ(FHost.Calls, std::vector<std::string>{"terminate"});
  }
}

TEST_F(StartupSequence, UnreachableServiceEndsWithInvalidResponse) {
  FServer.Stop();
  Run(Args({}));
  EXPECT_EQ(FDialogs.MessageTexts(),
            std::vector<std::string>{"Received an invalid response from the server."});
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"terminate"});
}

TEST_F(StartupSequence, RejectedAccountPromptsAndQueriesAgain) {
  json rejected =
      WithInfo(WithInfo(WithInfo(testanswer::Healthy(), "activeconn", -1), "paramsreject", 1),
               "paramsfatal", 1);
  Answer(406, rejected);
  Answer(200, testanswer::Healthy());
  FDialogs.QueueInput("456");
  Run(Args({}));
  const auto entries = FDialogs.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].What, Kind::Input);
  EXPECT_EQ(entries[0].Caption, "Tarrowind Connect - Account");
  EXPECT_EQ(entries[0].Text,
            "The Account '123' is invalid. Please enter a valid Account to connect.");
  EXPECT_EQ(FAccounts, (std::vector<std::string>{"123", "456"}));
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"close"});
  EXPECT_TRUE(Launched());
}

TEST_F(StartupSequence, RejectedAccountAndCancelledPromptEndsSilently) {
  Answer(406, WithInfo(WithInfo(testanswer::Healthy(), "paramsreject", 1), "paramsfatal", 1));
  FDialogs.QueueInputCancel();
  Run(Args({}));
  EXPECT_EQ(FDialogs.Count(), 1u);
  EXPECT_EQ(FAccounts.size(), 1u);
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"terminate"});
}

TEST_F(StartupSequence, NonFatalRejectionWarnsAndGoesOn) {
  Answer(200, WithInfo(WithInfo(testanswer::Healthy(), "paramsreject", 2), "messages",
                       json::array({"Unknown user name.", "Using the default."})));
  Run(Args({}));
  const auto entries = FDialogs.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].Type, TMsgDlgType::mtWarning);
  EXPECT_EQ(entries[0].Text,
            "Unknown user name.\r\nUsing the default.\r\n\r\nClick OK to continue connecting.");
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"close"});
  EXPECT_TRUE(Launched());
}

TEST_F(StartupSequence, FatalRejectionWithValidConnectionLaunchesDirectlyEvenWithWindowOption) {
  Answer(406, WithInfo(WithInfo(testanswer::Healthy(), "paramsreject", 8), "paramsfatal", 8));
  Run(Args({"-g"}));
  EXPECT_EQ(FDialogs.Count(), 0u);
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"close"});
  EXPECT_TRUE(Launched());
}

TEST_F(StartupSequence, RepeatedCommunicationAnswersAreBounded) {
  Answer(406, WithInfo(testanswer::Healthy(), "activeconn", -1));
  Run(Args({}));
  EXPECT_EQ(FAccounts.size(), size_t(TConnStartup::kMaxCommunicationRepeats + 1));
  EXPECT_EQ(FDialogs.MessageTexts(),
            std::vector<std::string>{"Received an invalid response from the server."});
  EXPECT_EQ(FHost.Calls, std::vector<std::string>{"terminate"});
}

TEST_F(StartupSequence, WindowOrDirectLaunch) {
  struct Case {
    const char* name;
    json body;
    std::vector<std::string> extraArgs;
    bool window;
  } cases[] = {
      {"healthy single connection", testanswer::Healthy(), {}, false},
      {"service asks for several", WithInfo(testanswer::Healthy(), "usemulticonn", true), {}, true},
      {"-s", testanswer::Healthy(), {"-s"}, true},
      {"-g", testanswer::Healthy(), {"-g"}, true},
      {"-m", testanswer::Healthy(), {"-m"}, true},
      {"status not ok",
       WithInfo(
           testanswer::Healthy(), "connections",
           json::array({testanswer::Connection("Main Office", "http://127.0.0.1:1/c.rdp", 3)})),
       {},
       true},
      {"empty address",
       WithInfo(testanswer::Healthy(), "connections",
                json::array({testanswer::Connection("Main Office", "")})),
       {},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FAnswers.clear();
    FHost.Calls.clear();
    Answer(200, c.body);
    const size_t launchesBefore = FStandIn.Calls().size();
    Run(Args(c.extraArgs));
    EXPECT_EQ(FDialogs.Count(), 0u);
    const std::vector<std::string> expected =
        c.window ? std::vector<std::string>{"window", "close"} : std::vector<std::string>{"close"};
    EXPECT_EQ(FHost.Calls, expected);
    if (!c.window) {
      EXPECT_TRUE(FStandIn.WaitForCalls(launchesBefore + 1));
    }
    EXPECT_EQ(FStandIn.Calls().size(), launchesBefore + (c.window ? 0 : 1));
  }
}

TEST_F(StartupSequence, UpdateConfigNarrowsByTheAnswer) {
  using testanswer::Connection;
  struct Case {
    const char* name;
    json body;
    std::vector<std::string> extraArgs;
    bool canConnect, showStatus;
    std::string redirectUrl;
  } cases[] = {
      {"healthy", testanswer::Healthy("http://h/x.rdp"), {}, true, false, "http://h/x.rdp"},
      {"asked for the status",
       testanswer::Healthy("http://h/x.rdp"),
       {"-s"},
       true,
       true,
       "http://h/x.rdp"},
      {"no address", testanswer::Healthy(""), {}, false, true, ""},
      {"environment blocked",
       WithInfo(testanswer::Healthy("http://h/x.rdp"), "blocklaunch", true),
       {},
       false,
       true,
       "http://h/x.rdp"},
      {"entry blocked",
       WithInfo(testanswer::Healthy(), "connections",
                json::array({Connection("A", "http://h/x.rdp", 1, true)})),
       {},
       false,
       true,
       "http://h/x.rdp"},
      {"status failed",
       WithInfo(testanswer::Healthy(), "connections",
                json::array({Connection("A", "http://h/x.rdp", 5)})),
       {},
       false,
       true,
       "http://h/x.rdp"},
      {"status neither ok nor failed",
       WithInfo(testanswer::Healthy(), "connections",
                json::array({Connection("A", "http://h/x.rdp", 3)})),
       {},
       true,
       true,
       "http://h/x.rdp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FAnswers.clear();
    Answer(200, c.body);
    TQXConnection conn({FHttp, FUri, FSystem, FDialogs, FVersion});
    TAppConfig config(Args(c.extraArgs), {FDialogs, FSystem, FUri, FStorage, FVersion});
    config.Initialize();
    conn.Connect(FResponse, "", config.ConnectUrl(), config.AccountNumber());
    config.UpdateConfig(conn);
    EXPECT_EQ(config.CanConnect(), c.canConnect);
    EXPECT_EQ(config.ShowStatus(), c.showStatus);
    EXPECT_EQ(config.RedirectUrl(), c.redirectUrl);
  }
}
