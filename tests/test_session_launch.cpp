#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/app_open.h"
#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "posix_launch_files.h"
#include "posix_system_info.h"
#include "support/connect_answer_json.h"
#include "support/recording_dialogs.h"
#include "support/scoped_env.h"
#include "support/shell_stand_in.h"
#include "support/temp_dir.h"
#include "support/test_server.h"
#include "xdg_shell.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const std::string kRdpBytes = "full address:s:desk.example:3389\r\nusername:s:tester\r\n";

// The files in the folder, without the test's own folders that live there too.
std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("vostrel-test-", 0) != 0) names.push_back(name);
  }
  return names;
}

class SessionLaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    FTimings.StartPauseRounds = 2;
    FTimings.StartPauseRound = std::chrono::milliseconds(5);
    FTimings.ReleasePoll = std::chrono::milliseconds(10);
    FTimings.ReleaseWaitBound = std::chrono::milliseconds(1500);
    Serve();
    FServer.Start();
  }

  void Serve() {
    auto& s = FServer.Server();
    s.Get("/Connect/", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(FAnswer.dump(), "application/json");
    });
    auto rdp = [](const char* type) {
      return [type](const httplib::Request&, httplib::Response& res) {
        res.set_content(kRdpBytes, type);
      };
    };
    s.Get("/desk.rdp", rdp("application/x-rdp"));
    s.Get("/download", rdp("application/x-rdp; charset=utf-8"));
    s.Get("/file", rdp("Application/X-RDP"));
    s.Get("/DESK.RDP", rdp("text/plain"));
    s.Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html>portal</html>", "text/html");
    });
    s.Get("/moved",
          [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/page"); });
    s.Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
      res.status = std::stoi(req.matches[1]);
    });
    s.Get("/get500.rdp", [](const httplib::Request& req, httplib::Response& res) {
      if (req.method == "HEAD") {
        res.set_content("", "application/x-rdp");
      } else {
        res.status = 500;
        res.set_content("broken", "text/plain");
      }
    });
    s.Get("/cookie.rdp", [](const httplib::Request& req, httplib::Response& res) {
      if (req.method == "HEAD") {
        res.set_header("Set-Cookie", "gateway=token42; Path=/");
        res.set_content("", "application/x-rdp");
      } else if (req.get_header_value("Cookie").find("gateway=token42") == std::string::npos) {
        res.status = 403;
      } else {
        res.set_content(kRdpBytes, "application/x-rdp");
      }
    });
    s.Get("/big.rdp", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(64 * 1024, 'x'), "application/x-rdp");
    });
  }

  std::string Url(const std::string& path) const { return FServer.BaseUrl() + path; }

  // A connection whose last answer was `answer` (thresholds: 1 ok, 5 failed).
  std::unique_ptr<TQXConnection> Connected(const json& answer) {
    FAnswer = answer;
    auto conn = std::make_unique<TQXConnection>(
        TConnectionServices{FHttp, FUri, FSystem, FDialogs, FVersion, &FShell, &FFiles, nullptr},
        TQueryTimeouts{}, FTimings);
    TConnResponse result;
    conn->Connect(result, "", Url("/Connect/"), "123");
    FServer.ClearRequests();
    return conn;
  }
  std::unique_ptr<TQXConnection> Connected() { return Connected(testanswer::Healthy()); }

  static TConnResponse Entry(const std::string& url, const std::string& name = "Main Office",
                             int statusId = 1, bool blocked = false) {
    TConnResponse r;
    r.DisplayName = name;
    r.ConnIdentifier = "desk-1";
    r.ConnUrl = url;
    r.Status = {statusId, "OK", ""};
    r.BlockLaunch = blocked;
    return r;
  }

  std::vector<std::string> Methods() const {
    std::vector<std::string> methods;
    for (const auto& r : FServer.Requests()) methods.push_back(r.Method + " " + r.RawTarget);
    return methods;
  }

  TTempDir FTemp;
  TScopedEnv FTmpDir{"TMPDIR", FTemp.Path().c_str()};
  TTestServer FServer;
  json FAnswer;
  TLaunchTimings FTimings;
  TRecordingDialogs FDialogs;
  TCurlHttpClientFactory FHttp;
  TCurlURIParser FUri;
  TPosixSystemInfo FSystem;
  TXdgShell FShell;
  TPosixLaunchFiles FFiles;
  TAppResVersionInfo FVersion;
};

const char* const kStatusWarning =
    "An issue in the current environment is preventing a successful connection.  Please try "
    "again later (Status will update automatically).";
const char* const kBlockedInfo =
    "Launching a session is currently being blocked for the Environment.  Please try again "
    "later (Status will update automatically).";

}  // namespace

TEST_F(SessionLaunch, PreChecksRefuseWithoutARequest) {
  TShellStandIn standIn({"xdg-open", "xfreerdp3"});
  struct Case {
    const char* name;
    bool environmentBlocked;
    TConnResponse entry;
    std::vector<TRecordingDialogs::TEntry> expected;
  };
  using E = TRecordingDialogs::TEntry;
  const std::vector<Case> cases = {
      {"failing status",
       false,
       Entry(Url("/desk.rdp"), "A", 5),
       {{E::Kind::Message, TMsgDlgType::mtWarning, kStatusWarning, ""}}},
      {"unknown status",
       false,
       Entry(Url("/desk.rdp"), "A", kUnknownStatusId),
       {{E::Kind::Message, TMsgDlgType::mtWarning, kStatusWarning, ""}}},
      {"failing and blocked",
       true,
       Entry(Url("/desk.rdp"), "A", 5, true),
       {{E::Kind::Message, TMsgDlgType::mtWarning, kStatusWarning, ""}}},
      {"environment blocked",
       true,
       Entry(Url("/desk.rdp")),
       {{E::Kind::Message, TMsgDlgType::mtInformation, kBlockedInfo, ""}}},
      {"entry blocked",
       false,
       Entry(Url("/desk.rdp"), "A", 1, true),
       {{E::Kind::Message, TMsgDlgType::mtInformation, kBlockedInfo, ""}}},
      {"no address", false, Entry(""), {}},
      {"not an address", false, Entry("desk.example/desk.rdp"), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FDialogs.Clear();
    json answer = testanswer::Healthy();
    answer["QXConnectInfo"]["blocklaunch"] = c.environmentBlocked;
    auto conn = Connected(answer);
    EXPECT_FALSE(conn->Redirect(c.entry));
    const auto entries = FDialogs.Entries();
    ASSERT_EQ(entries.size(), c.expected.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].Type, c.expected[i].Type);
      EXPECT_EQ(entries[i].Text, c.expected[i].Text);
    }
    EXPECT_TRUE(FServer.Requests().empty());
  }
  EXPECT_TRUE(standIn.Calls().empty());
}

TEST_F(SessionLaunch, WithoutActiveConnectionTheStatusWarningShows) {
  json answer = testanswer::Healthy();
  answer["QXConnectInfo"]["activeconn"] = -1;
  auto conn = Connected(answer);
  EXPECT_FALSE(conn->Redirect());
  EXPECT_EQ(FDialogs.MessageTexts(), std::vector<std::string>{kStatusWarning});
}

TEST_F(SessionLaunch, ProbeFailuresShowTheAddressAndTheDetail) {
  TShellStandIn standIn({"xdg-open", "xfreerdp3"});
  struct Case {
    std::string path, detail;
  } cases[] = {
      {"/status/204", "(204) No Content"},
      {"/status/206", "(206) Partial Content"},
      {"/status/405", "(405) Method Not Allowed"},
      {"/status/404", "(404) Not Found"},
  };
  auto conn = Connected();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    FDialogs.Clear();
    EXPECT_FALSE(conn->Redirect(Entry(Url(c.path))));
    EXPECT_EQ(FDialogs.MessageTexts(),
              std::vector<std::string>{
                  "Unable to make a successful connection to the following URL:\r\n" + Url(c.path) +
                  "\r\n\r\n" + c.detail});
  }
  EXPECT_TRUE(standIn.Calls().empty());
}

TEST_F(SessionLaunch, RefusedProbeShowsTheClientsMessage) {
  auto conn = Connected();
  const std::string url = "http://127.0.0.1:1/desk.rdp";
  EXPECT_FALSE(conn->Redirect(Entry(url)));
  const auto texts = FDialogs.MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  const std::string head =
      "Unable to make a successful connection to the following URL:\r\n" + url + "\r\n\r\n";
  EXPECT_EQ(texts[0].substr(0, head.size()), head);
  EXPECT_GT(texts[0].size(), head.size());
}

TEST_F(SessionLaunch, ContentTypeOrPathDecidesBetweenDownloadAndBrowser) {
  struct Case {
    std::string path;
    bool download;
  } cases[] = {
      {"/desk.rdp", true}, {"/download", true},      {"/file", false},
      {"/DESK.RDP", true}, {"/page?f=a.rdp", false}, {"/moved", false},
  };
  auto conn = Connected();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    TShellStandIn standIn({"xdg-open", "xfreerdp3"});
    EXPECT_TRUE(conn->Redirect(Entry(Url(c.path))));
    ASSERT_TRUE(standIn.WaitForCalls(1));
    const std::string call = standIn.Calls()[0];
    if (c.download) {
      EXPECT_EQ(call.substr(0, 10), "xfreerdp3 ");
      EXPECT_EQ(standIn.Received(0), kRdpBytes);
    } else {
      EXPECT_EQ(call, "xdg-open " + Url(c.path));
    }
    EXPECT_TRUE(FDialogs.MessageTexts().empty());
  }
  EXPECT_TRUE(FilesIn(FTemp.Path()).empty());
}

TEST_F(SessionLaunch, DownloadIsNamedAfterTheEntryHandedOverAndRemoved) {
  TShellStandIn standIn({"xfreerdp3"});
  auto conn = Connected();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"), "Main Office")));
  ASSERT_TRUE(standIn.WaitForCalls(1));
  EXPECT_EQ(standIn.Calls()[0], "xfreerdp3 " + FTemp.File("Main Office.rdp"));
  EXPECT_EQ(standIn.Received(0), kRdpBytes);
  EXPECT_TRUE(FilesIn(FTemp.Path()).empty());
  EXPECT_EQ(Methods(), (std::vector<std::string>{"HEAD /desk.rdp", "GET /desk.rdp"}));
}

TEST_F(SessionLaunch, CookiesOfTheProbeGoWithTheDownload) {
  TShellStandIn standIn({"xfreerdp3"});
  auto conn = Connected();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/cookie.rdp"))));
  ASSERT_TRUE(standIn.WaitForCalls(1));
  EXPECT_EQ(standIn.Received(0), kRdpBytes);
  EXPECT_TRUE(FDialogs.MessageTexts().empty());
}

TEST_F(SessionLaunch, NamesThatAreNotPlainFileNamesStayInTheTemporaryFolder) {
  const fs::path outside = FTemp.Path().parent_path();
  for (std::string name : {"../escape", "a/b", "..", "x:y", "tab\there", "back\\slash"}) {
    SCOPED_TRACE(name);
    TShellStandIn standIn({"xfreerdp3"});
    auto conn = Connected();
    EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"), name)));
    ASSERT_TRUE(standIn.WaitForCalls(1));
    const fs::path handed = standIn.Calls()[0].substr(std::string("xfreerdp3 ").size());
    EXPECT_EQ(handed.parent_path(), FTemp.Path());
    EXPECT_EQ(handed.filename().string().size(), std::string("k3Jq90aZ.p7R.rdp").size());
    EXPECT_FALSE(fs::exists(outside / "escape.rdp"));
  }
}

TEST_F(SessionLaunch, EmptyDisplayNameGivesDotRdp) {
  TShellStandIn standIn({"xfreerdp3"});
  auto conn = Connected();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"), "")));
  ASSERT_TRUE(standIn.WaitForCalls(1));
  EXPECT_EQ(standIn.Calls()[0], "xfreerdp3 " + FTemp.File(".rdp"));
}

TEST_F(SessionLaunch, HeldNameTakesARandomName) {
  // A name that cannot be deleted: a folder stands there.
  fs::create_directory(FTemp.Path() / "Main Office.rdp");
  fs::create_directory(FTemp.Path() / "Main Office.rdp" / "inside");
  TShellStandIn standIn({"xfreerdp3"});
  auto conn = Connected();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"))));
  ASSERT_TRUE(standIn.WaitForCalls(1));
  const fs::path handed = standIn.Calls()[0].substr(std::string("xfreerdp3 ").size());
  EXPECT_NE(handed.filename(), "Main Office.rdp");
  EXPECT_EQ(handed.parent_path(), FTemp.Path());
  EXPECT_EQ(standIn.Received(0), kRdpBytes);
  EXPECT_TRUE(fs::is_directory(FTemp.Path() / "Main Office.rdp" / "inside"));
}

TEST_F(SessionLaunch, LinkPlantedAtTheNameIsNeverWrittenThrough) {
  TTempDir elsewhere;
  elsewhere.Write("victim", "precious");
  fs::create_symlink(elsewhere.Path() / "victim", FTemp.Path() / "Main Office.rdp");
  TShellStandIn standIn({"xfreerdp3"});
  auto conn = Connected();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"))));
  ASSERT_TRUE(standIn.WaitForCalls(1));
  EXPECT_EQ(standIn.Received(0), kRdpBytes);
  EXPECT_EQ(elsewhere.Read("victim"), "precious");
}

TEST_F(SessionLaunch, DownloadedFileIsReadableByTheUserAlone) {
  // A stand-in that never reads the file keeps it in place until the bound has passed.
  TShellStandIn standIn({"xfreerdp3"}, 0, true, false);
  FTimings.ReleaseWaitBound = std::chrono::milliseconds(3000);
  auto conn = Connected();
  std::thread launch([&] { EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp")))); });
  ASSERT_TRUE(standIn.WaitForCalls(1));
  const fs::path file = FTemp.Path() / "Main Office.rdp";
  ASSERT_TRUE(fs::exists(file));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  launch.join();
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(SessionLaunch, FailedDownloadShowsTheAddressAndLeavesTheFile) {
  TShellStandIn standIn({"xfreerdp3"});
  auto conn = Connected();
  EXPECT_FALSE(conn->Redirect(Entry(Url("/get500.rdp"))));
  EXPECT_EQ(
      FDialogs.MessageTexts(),
      std::vector<std::string>{"There was a problem downloading from the following URL:\r\n'" +
                               Url("/get500.rdp") + "'\r\n(500) Internal Server Error"});
  EXPECT_EQ(FilesIn(FTemp.Path()), std::vector<std::string>{"Main Office.rdp"});
  EXPECT_TRUE(standIn.Calls().empty());
}

TEST_F(SessionLaunch, OversizedDownloadFailsAndRemovesThePartialFile) {
  TShellStandIn standIn({"xfreerdp3"});
  FTimings.MaxRdpFileBytes = 1024;
  auto conn = Connected();
  EXPECT_THROW(conn->Redirect(Entry(Url("/big.rdp"))), EHttpError);
  EXPECT_TRUE(FilesIn(FTemp.Path()).empty());
  EXPECT_TRUE(standIn.Calls().empty());
}

TEST_F(SessionLaunch, WithoutRdpClientTheFileIsOpenedWithOpen) {
  TShellStandIn standIn({"xdg-open"}, 0, false);
  auto conn = Connected();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"))));
  EXPECT_EQ(standIn.Calls(), std::vector<std::string>{"xdg-open " + FTemp.File("Main Office.rdp")});
  EXPECT_TRUE(FDialogs.MessageTexts().empty());
  EXPECT_TRUE(FilesIn(FTemp.Path()).empty());
}

TEST_F(SessionLaunch, WhenNothingOpensTheFileItIsDeletedAtOnceAndTheResultIsStillTrue) {
  TShellStandIn standIn({}, 0, false);
  auto conn = Connected();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(conn->Redirect(Entry(Url("/desk.rdp"))));
  EXPECT_LT(std::chrono::steady_clock::now() - start, FTimings.ReleaseWaitBound);
  EXPECT_EQ(
      FDialogs.MessageTexts(),
      std::vector<std::string>{"There was an error trying to open '" +
                               FTemp.File("Main Office.rdp") + "' (ShellExecute ErrCode: 31)"});
  EXPECT_TRUE(FilesIn(FTemp.Path()).empty());
}

TEST(AppOpen, FallbackAndErrorCodes) {
  TTempDir dir;
  dir.Write("desk.rdp", kRdpBytes);
  const std::string file = dir.File("desk.rdp");
  const std::string missing = dir.File("missing.rdp");
  struct Case {
    const char* name;
    std::vector<std::string> programs;
    int exitCode;
    bool url;
    std::string target, verb;
    std::vector<std::string> calls;
    std::string dialog;
  };
  const std::vector<Case> cases = {
      {"connect falls back to open",
       {"xdg-open"},
       0,
       false,
       file,
       "connect",
       {"xdg-open " + file},
       ""},
      {"open is not retried",
       {"xdg-open"},
       4,
       false,
       file,
       "open",
       {"xdg-open " + file},
       "There was an error trying to open '" + file + "' (ShellExecute ErrCode: 31)"},
      {"missing file",
       {"xdg-open", "xfreerdp3"},
       0,
       false,
       missing,
       "connect",
       {},
       "There was an error trying to open '" + missing + "' (ShellExecute ErrCode: 2)"},
      {"no opener at all",
       {},
       0,
       false,
       file,
       "open",
       {},
       "There was an error trying to open '" + file + "' (ShellExecute ErrCode: 31)"},
      {"address refused once",
       {"xdg-open"},
       3,
       true,
       "https://portal.example/a b",
       "open",
       {"xdg-open https://portal.example/a b"},
       "There was an error trying to open 'https://portal.example/a b' (ShellExecute ErrCode: "
       "31)"},
      {"address opened",
       {"xdg-open"},
       0,
       true,
       "https://portal.example/",
       "open",
       {"xdg-open https://portal.example/"},
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TShellStandIn standIn(c.programs, c.exitCode, false);
    TXdgShell shell;
    TRecordingDialogs dialogs;
    if (c.url)
      TAppOpen::OpenUrl(shell, dialogs, c.target);
    else
      TAppOpen::OpenFile(shell, dialogs, c.target, "application/x-rdp", c.verb);
    EXPECT_EQ(standIn.Calls(), c.calls);
    const auto texts = dialogs.MessageTexts();
    EXPECT_EQ(texts.empty() ? "" : texts[0], c.dialog);
    EXPECT_LE(texts.size(), 1u);
  }
}
