#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <thread>

#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "posix_system_info.h"
#include "support/recording_dialogs.h"
#include "support/test_server.h"

using nlohmann::json;
using namespace std::chrono_literals;

void PrintTo(const TConnResponse& r, std::ostream* os) {
  *os << "{" << r.ConnIdentifier << ", status " << r.Status.Id << " '" << r.Status.Name << "', '"
      << r.StatusDetail << "'}";
}

namespace {

json Status(int id, const std::string& name) {
  return {{"id", id}, {"name", name}, {"imageurl", "https://img.example/" + name + ".png"}};
}

json ConnectInfo(int statusOkId = 2) {
  json connection = {{"zone", "eu"},
                     {"displayname", "Office"},
                     {"connidentifier", "a"},
                     {"statusdetail", "running"},
                     {"connurl", "https://rdp.example/a"},
                     {"blocklaunch", false},
                     {"status", Status(1, "Online")}};
  return {{"statusdetail", "healthy"},
          {"blocklaunch", false},
          {"activeconn", 0},
          {"usemulticonn", false},
          {"statusfailid", 5},
          {"statusokid", statusOkId},
          {"paramsfatal", 0},
          {"paramsreject", 0},
          {"status", Status(1, "Online")},
          {"statusdefs", json::array({Status(1, "Online"), Status(5, "Down")})},
          {"connections", json::array({connection})},
          {"connpriority", json::array({0})},
          {"messages", json::array({"hello"})}};
}

std::string AnswerBody(const json& info = ConnectInfo()) {
  return json{{"QXConnectInfo", info}}.dump();
}

// The parameter names of a request target, in the order they were sent.
std::vector<std::string> ParameterNames(const std::string& rawTarget) {
  std::vector<std::string> names;
  const size_t question = rawTarget.find('?');
  if (question == std::string::npos) return names;
  std::string query = rawTarget.substr(question + 1);
  size_t start = 0;
  while (start <= query.size()) {
    size_t end = query.find('&', start);
    if (end == std::string::npos) end = query.size();
    std::string pair = query.substr(start, end - start);
    names.push_back(pair.substr(0, pair.find('=')));
    start = end + 1;
  }
  return names;
}

// A query service on 127.0.0.1 that answers "/Connect/" with whatever the test sets.
class ConnectQuery : public ::testing::Test {
 protected:
  explicit ConnectQuery(bool https = false) : FServer(https) {
    FVersion.ProductVersion.VersionFromStr("2.1.0.0");
    FVersion.FileVersion.VersionFromStr("2.1.0.17");
    FServer.Server().Get("/Connect/", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(FAnswerMutex);
      if (FAnswerDelay > 0ms) std::this_thread::sleep_for(FAnswerDelay);
      res.status = FAnswerStatus;
      res.set_content(FAnswerBody, "application/json");
    });
    FServer.Server().Get("/moved/", [](const httplib::Request& req, httplib::Response& res) {
      res.set_redirect("/Connect/" + req.target.substr(req.target.find('?')));
    });
    FServer.Server().Get("/gone/", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/nowhere/");
    });
    FServer.Server().Get("/", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(AnswerBody(), "application/json");
    });
    FServer.Start();
  }

  void Answer(int status, const std::string& body) {
    std::lock_guard lock(FAnswerMutex);
    FAnswerStatus = status;
    FAnswerBody = body;
  }

  std::string QueryUrl(const std::string& path = "/Connect/") const {
    return FServer.BaseUrl() + path;
  }

  // Queries with the stored settings only, as the start-up sequence and the timer do.
  TConnResponse ConnectTo(const std::string& url) {
    FConnection.SetConnectUrl(url);
    FConnection.SetAccountNumber("7001");
    return FConnection.Connect();
  }

  TTestServer::TRequest OnlyRequest() {
    const auto requests = FServer.Requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? TTestServer::TRequest{} : requests.back();
  }

  std::mutex FAnswerMutex;
  int FAnswerStatus = 200;
  std::string FAnswerBody = AnswerBody();
  std::chrono::milliseconds FAnswerDelay{0};

  TTestServer FServer;
  TCurlHttpClientFactory FHttp;
  TCurlURIParser FUri;
  TPosixSystemInfo FSystem;
  TRecordingDialogs FDialogs;
  TAppResVersionInfo FVersion;
  TQXConnection FConnection{{FHttp, FUri, FSystem, FDialogs, FVersion}, {5000ms, 5000ms}};
};

class ConnectQueryHttps : public ConnectQuery {
 protected:
  ConnectQueryHttps() : ConnectQuery(true) {}
};

void ExpectFailedExchange(const TConnResponse& result, const TQXConnection& connection) {
  EXPECT_TRUE(connection.IsResponseUnknown());
  EXPECT_EQ(result.ConnIdentifier, InvalidConnResponse.ConnIdentifier);
  EXPECT_EQ(result.Status.Id, 2147483647);
  EXPECT_EQ(result.Status.Name, "Error");
  EXPECT_EQ(result.StatusDetail, "Unable to connect to Cloud.");
  EXPECT_TRUE(result.BlockLaunch);
}

}  // namespace

TEST_F(ConnectQuery, RequestCarriesTheParametersInOrder) {
  FConnection.SetConnectUrl(QueryUrl());
  FConnection.SetAccountNumber("stored");
  FConnection.SetQXUserName("Jane Doe");
  TConnResponse result;
  FConnection.Connect(result, "", "", "77 & 8=9", "");

  const TTestServer::TRequest request = OnlyRequest();
  EXPECT_EQ(request.Method, "GET");
  EXPECT_EQ(request.Path, "/Connect/");
  EXPECT_EQ(request.UserAgent, "Tarrowind Connect Client/1.0");
  EXPECT_EQ(
      ParameterNames(request.RawTarget),
      (std::vector<std::string>{"accountnum", "username", "osinfo", "clientver", "hostname"}));
  EXPECT_EQ(
      request.RawTarget.rfind("/Connect/?accountnum=77%20%26%208%3D9&username=Jane%20Doe&", 0), 0u)
      << request.RawTarget;
  EXPECT_EQ(request.RawTarget.find(' '), std::string::npos);
  auto param = [&](const char* name) {
    auto it = request.Params.find(name);
    return it == request.Params.end() ? std::string("<absent>") : it->second;
  };
  EXPECT_EQ(param("accountnum"), "77 & 8=9");
  EXPECT_EQ(param("username"), "Jane Doe");
  EXPECT_EQ(param("osinfo"), FormatOSDescription(FSystem.OSVersion()));
  EXPECT_EQ(param("clientver"), "2.1.0.0;2.1.0.17");
  EXPECT_EQ(param("hostname"), FSystem.HostName());
  EXPECT_EQ(param("mode"), "<absent>");

  // Connect reads the defaults but never writes them.
  EXPECT_EQ(FConnection.AccountNumber(), "stored");
  EXPECT_EQ(FConnection.ConnectMode(), "");
  EXPECT_EQ(result.ConnIdentifier, "a");
}

TEST_F(ConnectQuery, ModeComesFirstAndEmptyUserNameIsStillSent) {
  FConnection.SetConnectMode("stored-mode");
  FConnection.SetQXUserName("stored-user");
  TConnResponse result;
  FConnection.Connect(result, "kiosk", QueryUrl("/Connect/?src=desk%201"), "42", "");
  const std::string target = OnlyRequest().RawTarget;
  EXPECT_EQ(
      target.rfind("/Connect/?src=desk%201&mode=kiosk&accountnum=42&username=stored-user&", 0), 0u)
      << target;

  FServer.ClearRequests();
  FConnection.SetConnectMode("");
  FConnection.SetQXUserName("");
  FConnection.Connect(result, "", QueryUrl(), "42", "");
  const TTestServer::TRequest request = OnlyRequest();
  EXPECT_EQ(request.RawTarget.rfind("/Connect/?accountnum=42&username=&osinfo=", 0), 0u)
      << request.RawTarget;
  EXPECT_EQ(request.Params.count("mode"), 0u);
  EXPECT_EQ(request.Params.count("username"), 1u);
}

TEST_F(ConnectQuery, RequestUrlWritesThePortAndTrimsThePath) {
  struct Case {
    std::string path, expectedStart;
    bool hasQuery;
  } cases[] = {
      {"/Connect", "/Connect/?accountnum=7001&", true},
      {"/Connect/", "/Connect/?accountnum=7001&", true},
      {"/a/b//", "/a/b//?accountnum=7001&", true},
      {"/", "/", false},
      {"", "/", false},
  };
  for (const auto& c : cases) {
    FServer.ClearRequests();
    ConnectTo(QueryUrl(c.path));
    const std::string target = OnlyRequest().RawTarget;
    EXPECT_EQ(target.rfind(c.expectedStart, 0), 0u) << c.path << " gave " << target;
    EXPECT_EQ(target.find('?') != std::string::npos, c.hasQuery) << c.path << " gave " << target;
  }
  // The request URL, query included, appears in the record of an answer that is not JSON.
  Answer(200, "<html><body>Maintenance</body></html>");
  FServer.ClearRequests();
  const TConnResponse result = ConnectTo(QueryUrl());
  const std::string expectedUrl =
      "http://127.0.0.1:" + std::to_string(FServer.Port()) + OnlyRequest().RawTarget;
  EXPECT_EQ(FConnection.StatusDetail(), "Unknown Response from '" + expectedUrl + "'");
  EXPECT_EQ(FConnection.Status().Id, 2147483647);
  EXPECT_EQ(FConnection.Status().Name, "Unknown");
  EXPECT_EQ(FConnection.ResponseStatus(), TResponseStatus::rstOk);
  EXPECT_EQ(result, InvalidConnResponse);
}

TEST_F(ConnectQuery, EveryOutcomeOfTheExchange) {
  const std::string missingKey = [] {
    json info = ConnectInfo();
    info.erase("messages");
    return AnswerBody(info);
  }();
  struct Case {
    int status;
    std::string body;
    TResponseStatus expected;
    std::string identifier;  // of the result
    std::string statusName, statusDetail;
  } cases[] = {
      {200, AnswerBody(), TResponseStatus::rstOk, "a", "Online", "running"},
      {406, AnswerBody(), TResponseStatus::rstCommunication, "a", "Online", "running"},
      {400, AnswerBody(), TResponseStatus::rstBadRequest, InvalidConnResponse.ConnIdentifier, "",
       ""},
      {401, AnswerBody(), TResponseStatus::rstUnknown, UnknownConnResponse.ConnIdentifier, "", ""},
      {403, "", TResponseStatus::rstUnknown, UnknownConnResponse.ConnIdentifier, "", ""},
      {499, "", TResponseStatus::rstUnknown, UnknownConnResponse.ConnIdentifier, "", ""},
      {500, AnswerBody(), TResponseStatus::rstUnknown, InvalidConnResponse.ConnIdentifier, "Error",
       "Unable to connect to Cloud."},
      {503, "busy", TResponseStatus::rstUnknown, InvalidConnResponse.ConnIdentifier, "Error",
       "Unable to connect to Cloud."},
      {200, missingKey, TResponseStatus::rstUnknown, InvalidConnResponse.ConnIdentifier, "Error",
       "Unable to connect to Cloud."},
      {406, "{\"other\":1}", TResponseStatus::rstUnknown, InvalidConnResponse.ConnIdentifier,
       "Error", "Unable to connect to Cloud."},
      {406, "", TResponseStatus::rstCommunication, InvalidConnResponse.ConnIdentifier, "", ""},
  };
  for (const auto& c : cases) {
    Answer(c.status, c.body);
    const TConnResponse result = ConnectTo(QueryUrl());
    const std::string row = std::to_string(c.status) + " " + c.body.substr(0, 20);
    EXPECT_EQ(FConnection.ResponseStatus(), c.expected) << row;
    EXPECT_EQ(result.ConnIdentifier, c.identifier) << row;
    EXPECT_EQ(result.Status.Name, c.statusName) << row;
    EXPECT_EQ(result.StatusDetail, c.statusDetail) << row;
  }
  // Neither 400 nor 404 reads the body.
  Answer(400, AnswerBody());
  ConnectTo(QueryUrl());
  EXPECT_TRUE(FConnection.IsBadRequest());
  EXPECT_EQ(FConnection.Count(), 0);
  const TConnResponse notFound = ConnectTo(QueryUrl("/no/such/path/"));
  EXPECT_TRUE(FConnection.IsURLNotFound());
  EXPECT_EQ(notFound, InvalidConnResponse);
  EXPECT_TRUE(FConnection.Messages().empty());
}

TEST_F(ConnectQuery, FailureWhileReadingKeepsWhatWasRead) {
  json info = ConnectInfo();
  info["connections"][0]["status"] = "not an object";
  Answer(200, AnswerBody(info));
  const TConnResponse result = ConnectTo(QueryUrl());
  ExpectFailedExchange(result, FConnection);
  EXPECT_EQ(FConnection.StatusDetail(), "healthy");
  EXPECT_EQ(FConnection.StatusDefs().Count(), 2u);
  EXPECT_EQ(FConnection.Count(), 0);
}

TEST_F(ConnectQuery, NoAnswerAtAll) {
  // Refused: a port on which nothing listens any more.
  TTestServer closed;
  closed.Start();
  const std::string refusedUrl = closed.BaseUrl() + "/Connect/";
  closed.Stop();
  ExpectFailedExchange(ConnectTo(refusedUrl), FConnection);

  // An answer slower than the injected time-outs.
  TQXConnection impatient{{FHttp, FUri, FSystem, FDialogs, FVersion}, {300ms, 300ms}};
  {
    std::lock_guard lock(FAnswerMutex);
    FAnswerDelay = 2500ms;
  }
  const auto started = std::chrono::steady_clock::now();
  TConnResponse result;
  impatient.Connect(result, "", QueryUrl(), "7001", "");
  ExpectFailedExchange(result, impatient);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2000ms);
  EXPECT_EQ(impatient.Count(), 0);
}

TEST_F(ConnectQuery, RedirectsAreFollowedAndTheFinalStatusCounts) {
  const TConnResponse result = ConnectTo(QueryUrl("/moved/"));
  EXPECT_EQ(result.ConnIdentifier, "a");
  EXPECT_EQ(FConnection.ResponseStatus(), TResponseStatus::rstOk);
  const auto requests = FServer.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].Path, "/Connect/");
  EXPECT_EQ(requests[1].Params.count("clientver"), 1u);
  EXPECT_EQ(requests[1].UserAgent, "Tarrowind Connect Client/1.0");

  EXPECT_EQ(ConnectTo(QueryUrl("/gone/")), InvalidConnResponse);
  EXPECT_TRUE(FConnection.IsURLNotFound());
}

TEST_F(ConnectQuery, EarlyReturnsLeaveTheCallersRecord) {
  const TConnResponse supplied = [] {
    TConnResponse r;
    r.ConnIdentifier = "caller's own";
    r.Status = {4, "Mine", ""};
    return r;
  }();
  // A finished query first, so that the early returns visibly reset it.
  ConnectTo(QueryUrl());
  ASSERT_EQ(FConnection.Count(), 1);

  struct Case {
    const char* what;
    std::string storedUrl, storedAccount, url, account;
  } cases[] = {
      {"nothing at all", "", "", "", ""},
      {"no account", QueryUrl(), "", "", ""},
      {"no URL", "", "7001", "", ""},
      {"not an address", "", "", "not a url", "7001"},
      {"not http", "", "", "ftp://127.0.0.1/Connect/", "7001"},
  };
  FServer.ClearRequests();
  for (const auto& c : cases) {
    FConnection.SetConnectUrl(c.storedUrl);
    FConnection.SetAccountNumber(c.storedAccount);
    TConnResponse result = supplied;
    FConnection.Connect(result, "", c.url, c.account, "");
    EXPECT_EQ(result, supplied) << c.what;
    EXPECT_EQ(result.Status.Id, 4) << c.what;
    EXPECT_TRUE(FConnection.IsResponseUnknown()) << c.what;
    EXPECT_FALSE(FConnection.ResponseContainsComm() || FConnection.IsBadRequest() ||
                 FConnection.IsURLNotFound() || FConnection.IsParamRejected() ||
                 FConnection.IsParamRejectFatal() || FConnection.IsAccountInvalid() ||
                 FConnection.IsClientVerFatal() || FConnection.IsClientVerWarning())
        << c.what;
    EXPECT_EQ(FConnection.Count(), 0) << c.what;
    EXPECT_EQ(FConnection.StatusDetail(), "") << c.what;
  }
  EXPECT_TRUE(FServer.Requests().empty());
}

TEST_F(ConnectQuery, ThresholdsSurviveAFailedQuery) {
  Answer(200, AnswerBody(ConnectInfo(3)));
  ConnectTo(QueryUrl());
  ASSERT_EQ(FConnection.StatusDefs().StatusOkId(), 3);
  Answer(503, "");
  ConnectTo(QueryUrl());
  EXPECT_EQ(FConnection.StatusDefs().StatusOkId(), 3);
  EXPECT_EQ(FConnection.StatusDefs().StatusFailId(), 5);
  EXPECT_EQ(FConnection.StatusDefs().Count(), 0u);
  ConnectTo("http://127.0.0.1:1/Connect/");
  EXPECT_EQ(FConnection.StatusDefs().StatusOkId(), 3);
}

TEST_F(ConnectQueryHttps, RefusedCertificateFailsTheExchange) {
  FDialogs.QueueConfirm(false);
  const TConnResponse result = ConnectTo(QueryUrl());
  ExpectFailedExchange(result, FConnection);
  const auto dialogs = FDialogs.Entries();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].What, TRecordingDialogs::TEntry::Kind::Confirm);
  EXPECT_EQ(dialogs[0].Type, TMsgDlgType::mtWarning);
  EXPECT_EQ(dialogs[0].Text, "Invalid Certificate!  Continue?");
  EXPECT_TRUE(FServer.Requests().empty());
}

TEST_F(ConnectQueryHttps, AcceptedCertificateLetsTheAnswerBeRead) {
  FDialogs.QueueConfirm(true);
  const TConnResponse result = ConnectTo(QueryUrl());
  EXPECT_EQ(FConnection.ResponseStatus(), TResponseStatus::rstOk);
  EXPECT_EQ(result.ConnIdentifier, "a");
  EXPECT_EQ(FDialogs.Count(), 1u);
  ASSERT_EQ(FServer.Requests().size(), 1u);
  EXPECT_EQ(FServer.Requests()[0].RawTarget.rfind("/Connect/?accountnum=7001&", 0), 0u);
}
