// The real vostrel program against the demo connection service, with recording stand-ins in
// place of xdg-open and the RDP clients. What crosses the process boundary is checked here:
// requests, the files handed over, the configuration file and the exit status.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QColor>
#include <QImage>
#include <chrono>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/user_agent.h"
#include "e2e/child_process.h"
#include "support/shell_stand_in.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr std::chrono::milliseconds kProgramBound{60000};
constexpr std::chrono::milliseconds kServiceStartBound{10000};
constexpr std::chrono::milliseconds kPoll{20};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// The demo service as a child process on a free port.
class TDemoServiceProcess {
 public:
  explicit TDemoServiceProcess(const std::vector<std::string>& scenarioArgs) {
    std::vector<std::string> argv = {DEMO_SERVICE_PROGRAM, "--port-file", FDir.File("port")};
    argv.insert(argv.end(), scenarioArgs.begin(), scenarioArgs.end());
    FProcess = std::make_unique<TChildProcess>(argv, std::map<std::string, std::string>{},
                                               FDir.File("log"));
  }
  ~TDemoServiceProcess() { FProcess->Stop(); }

  // False when the service ended or did not name its port in time.
  bool WaitUntilListening() {
    const auto deadline = std::chrono::steady_clock::now() + kServiceStartBound;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::string port = FDir.Read("port");
      if (!port.empty()) {
        FPort = std::stoi(port);
        return true;
      }
      if (FProcess->WaitForExit(kPoll)) return false;
    }
    return false;
  }
  std::optional<int> WaitForExit(std::chrono::milliseconds bound) {
    return FProcess->WaitForExit(bound);
  }

  std::string Url(const std::string& path = "") const {
    return "http://127.0.0.1:" + std::to_string(FPort) + path;
  }
  std::string QueryUrl() const { return Url("/Connect/"); }
  std::vector<std::string> Log() const { return Lines(FDir.Read("log")); }
  // Lines of the log that begin with `start`.
  std::vector<std::string> LogLines(const std::string& start) const {
    std::vector<std::string> found;
    for (const auto& line : Log())
      if (StartsWith(line, start)) found.push_back(line);
    return found;
  }

  // Requests of the test itself, not of the program.
  httplib::Result Get(const std::string& pathAndQuery) const {
    httplib::Client client("127.0.0.1", FPort);
    return client.Get(pathAndQuery.c_str());
  }

 private:
  TTempDir FDir;
  std::unique_ptr<TChildProcess> FProcess;
  int FPort = 0;
};

class EndToEnd : public ::testing::Test {
 protected:
  void StartService(const std::vector<std::string>& scenarioArgs) {
    FService = std::make_unique<TDemoServiceProcess>(scenarioArgs);
    ASSERT_TRUE(FService->WaitUntilListening()) << ServiceOutput();
  }

  // Runs vostrel to its end; the exit status, or -1 when it had to be killed.
  int RunProgram(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {VOSTREL_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    TChildProcess program(argv,
                          {{"TMPDIR", FTmp.Path().string()},
                           {"XDG_CONFIG_HOME", FConfigHome.Path().string()},
                           {"XDG_CONFIG_DIRS", FConfigDirs.Path().string()},
                           {"XDG_CACHE_HOME", FCacheHome.Path().string()},
                           {"XDG_RUNTIME_DIR", RuntimeDir()},
                           {"QT_QPA_PLATFORM", "offscreen"}},
                          FWork.File("program-output"));
    const std::optional<int> exit = program.WaitForExit(kProgramBound);
    return exit.value_or(-1);
  }

  // Qt makes one under the temporary folder when none is set, and that folder is checked.
  std::string RuntimeDir() const {
    fs::permissions(FRuntime.Path(), fs::perms::owner_all);
    return FRuntime.Path().string();
  }

  std::string ServiceOutput() const {
    std::string text;
    if (FService)
      for (const auto& line : FService->Log()) text += line + "\n";
    return text;
  }
  std::string ProgramOutput() const { return FWork.Read("program-output"); }

  // The one log line of a request of the program, checked for its user agent and answer.
  void ExpectServed(const std::string& request) const {
    const auto lines = FService->LogLines(request);
    ASSERT_EQ(lines.size(), 1u) << request << "\n" << ServiceOutput();
    const std::string tail = std::string(" \"") + sUserAgent + "\" 200";
    EXPECT_TRUE(lines[0].size() >= tail.size() &&
                lines[0].compare(lines[0].size() - tail.size(), tail.size(), tail) == 0)
        << lines[0];
  }

  std::vector<std::string> TmpEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(FTmp.Path()))
      names.push_back(entry.path().filename().string());
    return names;
  }

  TTempDir FWork;
  TTempDir FTmp;
  TTempDir FConfigHome;
  TTempDir FConfigDirs;
  TTempDir FCacheHome;
  TTempDir FRuntime;
  TShellStandIn FStandIn{{"xdg-open", "xfreerdp3", "sdl-freerdp3", "xfreerdp", "remmina"}};
  std::unique_ptr<TDemoServiceProcess> FService;
};

TEST_F(EndToEnd, HealthyDeskIsDownloadedHandedOverAndRemoved) {
  StartService({"--scenario", "healthy"});
  EXPECT_EQ(RunProgram({"-n", "-a:123", "-c:" + FService->QueryUrl()}), 0) << ProgramOutput();

  ExpectServed("GET /Connect/?accountnum=123&username=&osinfo=");
  ExpectServed("HEAD /desks/0.rdp ");
  ExpectServed("GET /desks/0.rdp ");
  ASSERT_TRUE(FStandIn.WaitForCalls(1));
  ASSERT_EQ(FStandIn.Calls(),
            std::vector<std::string>{"xfreerdp3 " + FTmp.File("Main Office.rdp")});
  const auto served = FService->Get("/desks/0.rdp");
  ASSERT_TRUE(served);
  EXPECT_EQ(FStandIn.Received(0), served->body);
  EXPECT_EQ(TmpEntries(), std::vector<std::string>{});
}

TEST_F(EndToEnd, WebPortalAddressIsHandedToTheOpener) {
  FWork.Write("portal.json",
              R"({"connections": [{"displayname": "Customer Portal", "kind": "web"}]})");
  StartService({"--scenario-file", FWork.File("portal.json")});
  const auto answer = FService->Get("/Connect/?accountnum=1");
  ASSERT_TRUE(answer);
  const std::string portal =
      json::parse(answer->body)["QXConnectInfo"]["connections"][0]["connurl"];

  EXPECT_EQ(RunProgram({"-n", "-a:123", "-c:" + FService->QueryUrl()}), 0) << ProgramOutput();

  ASSERT_TRUE(FStandIn.WaitForCalls(1));
  EXPECT_EQ(FStandIn.Calls(), std::vector<std::string>{"xdg-open " + portal});
  ExpectServed("HEAD /portal/0 ");
  EXPECT_TRUE(FService->LogLines("GET /portal/").empty()) << ServiceOutput();
  EXPECT_EQ(TmpEntries(), std::vector<std::string>{});
}

TEST_F(EndToEnd, SavedConfigurationTakesTheNewAccountAndNothingElseChanges) {
  StartService({"--scenario", "healthy"});
  const std::string before = "; written by hand\n[Pellanor]\nConnectUrl=" + FService->QueryUrl() +
                             "\nAccountNumber=123\nQXUsername=tester\n\n[Elsewhere]\n"
                             "AccountNumber=kept\n";
  const std::string oldValue = "AccountNumber=123";
  std::string after = before;
  after.replace(after.find(oldValue), oldValue.size(), "AccountNumber=456");
  FWork.Write("settings.ini", before);

  EXPECT_EQ(RunProgram({"-n", "-f:" + FWork.File("settings.ini"), "-v", "-a:456"}), 0)
      << ProgramOutput();

  ExpectServed("GET /Connect/?accountnum=456&username=tester&osinfo=");
  EXPECT_EQ(FWork.Read("settings.ini"), after);
  EXPECT_TRUE(FStandIn.WaitForCalls(1));
}

// The demo service on its own: what the end-to-end runs and the demo rely on.
TEST(DemoService, StatusImagesArePngBannersInTheirColours) {
  TDemoServiceProcess service({"--scenario", "multi"});
  ASSERT_TRUE(service.WaitUntilListening());
  const struct {
    const char* key;
    QColor colour;
  } cases[] = {
      {"ok", QColor(0x2E9E44)}, {"degraded", QColor(0xE0A000)}, {"down", QColor(0xC62828)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const auto png = service.Get(std::string("/status/") + c.key + ".png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->get_header_value("Content-Type"), "image/png");
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png->body.data()),
                                   int(png->body.size()), "PNG"));
    EXPECT_EQ(image.size(), QSize(342, 60));
    EXPECT_EQ(image.pixelColor(1, 1), c.colour);
    int written = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) written += image.pixelColor(x, y) == Qt::white;
    EXPECT_GT(written, 100) << "the word is written on it";
  }
}

TEST(DemoService, AccountRejectedScenarioAcceptsOnlyTheSecondNumberItSees) {
  TDemoServiceProcess service({"--scenario", "account-rejected"});
  ASSERT_TRUE(service.WaitUntilListening());
  const struct {
    const char* account;
    int status;
    int activeConn;
  } queries[] = {{"123", 406, -1}, {"123", 406, -1}, {"456", 200, 0},
                 {"789", 406, -1}, {"456", 200, 0},  {"123", 406, -1}};
  for (const auto& q : queries) {
    SCOPED_TRACE(q.account);
    const auto answer = service.Get(std::string("/Connect/?accountnum=") + q.account);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, q.status);
    const json info = json::parse(answer->body)["QXConnectInfo"];
    EXPECT_EQ(info["activeconn"], q.activeConn);
    EXPECT_EQ(info["paramsreject"], q.status == 406 ? 1 : 0);
    EXPECT_EQ(info["paramsfatal"], q.status == 406 ? 1 : 0);
  }
}

TEST(DemoService, UnusableScenarioFilesAreRefusedWithTheirFault) {
  TTempDir dir;
  const struct {
    const char* name;
    const char* content;  // nullptr: no file at all
    const char* fault;
  } cases[] = {
      {"missing", nullptr, "not a readable file"},
      {"not-json", "{ connections", "not JSON"},
      {"typo", R"({"conections": []})", "unknown member \"conections\""},
      {"status", R"({"status": "fine"})", "expected \"ok\", \"degraded\" or \"down\""},
      {"no-name", R"({"connections": [{"kind": "rdp"}]})", "\"displayname\" is missing"},
      {"kind", R"({"connections": [{"displayname": "A", "kind": "ftp"}]})", "\"rdp\" or \"web\""},
      {"accept", R"({"accounts": {"accept": 2}})", "expected \"second\" or an array"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir.File(std::string(c.name) + ".json");
    if (c.content) dir.Write(std::string(c.name) + ".json", c.content);
    TChildProcess service({DEMO_SERVICE_PROGRAM, "--scenario-file", file}, {}, dir.File("output"));
    EXPECT_EQ(service.WaitForExit(kServiceStartBound), 2);
    EXPECT_NE(dir.Read("output").find(c.fault), std::string::npos) << dir.Read("output");
  }
}

}  // namespace
