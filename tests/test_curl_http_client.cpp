#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/user_agent.h"
#include "curl_http_client.h"
#include "support/test_server.h"

using namespace std::chrono_literals;

namespace {

// A loopback socket bound to a port but not listening: connecting to it is refused, and no other
// program can take the port while the test runs.
class TRefusingPort {
 public:
  TRefusingPort() : FSocket(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("no port for the refusal test");
    FPort = ntohs(address.sin_port);
  }
  ~TRefusingPort() { close(FSocket); }
  int Port() const { return FPort; }

 private:
  int FSocket;
  int FPort = 0;
};

// Answers every connection with the same raw bytes, for status lines the test server cannot write.
class TRawAnswerServer {
 public:
  explicit TRawAnswerServer(std::string answer) : FAnswer(std::move(answer)) {
    FListener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (FListener < 0 || bind(FListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(FListener, 4) != 0 ||
        getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      throw std::runtime_error("raw server cannot listen");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
  }
  ~TRawAnswerServer() {
    shutdown(FListener, SHUT_RDWR);
    FThread.join();
    close(FListener);
  }
  std::string Url(const std::string& scheme = "http") const {
    return scheme + "://127.0.0.1:" + std::to_string(FPort) + "/";
  }
  int Connections() const { return FConnections; }

 private:
  void Serve() {
    for (;;) {
      const int connection = accept(FListener, nullptr, nullptr);
      if (connection < 0) return;
      ++FConnections;
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
      }
      [[maybe_unused]] const ssize_t sent = send(connection, FAnswer.data(), FAnswer.size(), 0);
      close(connection);
    }
  }

  std::string FAnswer;
  int FListener = -1;
  int FPort = 0;
  std::atomic<int> FConnections = 0;
  std::thread FThread;
};

THttpClientSettings FastSettings() {
  THttpClientSettings settings;
  settings.UserAgent = sUserAgent;
  settings.ConnectTimeout = 2000ms;
  settings.ResponseTimeout = 5000ms;
  return settings;
}

std::unique_ptr<IHttpClient> MakeClient(const THttpClientSettings& settings = FastSettings()) {
  return TCurlHttpClientFactory().Create(settings);
}

// Waits in small steps so that handlers end quickly once the test is over.
void WaitUntil(const std::atomic<bool>& released, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!released && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
}

class CurlHttpClient : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& server = FServer.Server();
    server.Get("/hello", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("X-Answer", "42");
      res.set_content("hello world", "text/plain; charset=utf-8");
    });
    server.Get("/status/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
      res.status = std::stoi(req.matches[1]);
      res.set_content("status page", "text/html");
    });
    server.Get("/redirect/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
      const int left = std::stoi(req.matches[1]);
      if (left == 0) return res.set_content("arrived", "text/plain");
      res.set_header("X-Hop", std::to_string(left));
      res.set_content("moved", "text/plain");
      res.set_redirect("/redirect/" + std::to_string(left - 1), 302);
    });
    server.Get("/redirect-to", [](const httplib::Request& req, httplib::Response& res) {
      res.set_redirect(req.get_param_value("url"), 302);
    });
    server.Get("/set-cookie", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Set-Cookie", "session=abc123; Path=/");
      res.set_content("set", "text/plain");
    });
    server.Get("/cookie/(\\w+)", [](const httplib::Request& req, httplib::Response& res) {
      res.set_header("Set-Cookie", std::string(req.matches[1]) + "=1; Path=/");
      res.set_content("ok", "text/plain");
    });
    server.Get("/echo-cookie", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.get_header_value("Cookie"), "text/plain");
    });
    server.Get("/bytes/(\\d+)", [](const httplib::Request& req, httplib::Response& res) {
      std::string body(std::stoul(req.matches[1]), 'x');
      if (!body.empty()) body[0] = '\0';
      res.set_content(body, "application/octet-stream");
    });
    server.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      WaitUntil(FReleased, 10s);
      res.set_content("late", "text/plain");
    });
    server.Get("/endless", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("text/plain", [this](size_t, httplib::DataSink& sink) {
        sink.write("x", 1);
        WaitUntil(FReleased, 20ms);
        if (FReleased) sink.done();
        return true;
      });
    });
    FServer.Start();
  }
  void TearDown() override { FReleased = true; }

  std::string Url(const std::string& path) const { return FServer.BaseUrl() + path; }

  TTestServer FServer;
  std::atomic<bool> FReleased = false;
};

TEST_F(CurlHttpClient, GetReadsStatusHeadersAndBody) {
  const THttpResponse answer = MakeClient()->Get(Url("/hello"));
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.StatusText, "OK");
  EXPECT_EQ(answer.Body, "hello world");
  EXPECT_EQ(answer.ContentType(), "text/plain; charset=utf-8");
  EXPECT_EQ(answer.HeaderValue("x-answer"), "42");
  EXPECT_EQ(answer.HeaderValue("Content-Length"), "11");
  ASSERT_EQ(FServer.Requests().size(), 1u);
  EXPECT_EQ(FServer.Requests()[0].Method, "GET");
  EXPECT_EQ(FServer.Requests()[0].UserAgent, "Tarrowind Connect Client/1.0");
}

TEST_F(CurlHttpClient, HeadReadsHeadersWithoutBody) {
  const THttpResponse answer = MakeClient()->Head(Url("/hello"));
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.ContentType(), "text/plain; charset=utf-8");
  EXPECT_EQ(answer.Body, "");
  ASSERT_EQ(FServer.Requests().size(), 1u);
  EXPECT_EQ(FServer.Requests()[0].Method, "HEAD");
  EXPECT_EQ(FServer.Requests()[0].UserAgent, "Tarrowind Connect Client/1.0");
}

TEST_F(CurlHttpClient, StatusCodeAndReasonPhrase) {
  struct Case {
    int code;
    std::string text;
  } cases[] = {{200, "OK"},
               {400, "Bad Request"},
               {404, "Not Found"},
               {406, "Not Acceptable"},
               {418, "I'm a teapot"},
               {500, "Internal Server Error"},
               {503, "Service Unavailable"}};
  auto client = MakeClient();
  for (const auto& c : cases) {
    const THttpResponse answer = client->Get(Url("/status/" + std::to_string(c.code)));
    EXPECT_EQ(answer.StatusCode, c.code);
    EXPECT_EQ(answer.StatusText, c.text);
    EXPECT_EQ(answer.Body, "status page") << c.code;
  }
}

TEST(CurlHttpClientRaw, ReasonPhraseIsTakenFromTheStatusLine) {
  struct Case {
    std::string statusLine;
    int code;
    std::string text;
  } cases[] = {
      {"HTTP/1.1 200 Everything Fine Here", 200, "Everything Fine Here"},
      {"HTTP/1.1 404 Nicht gefunden", 404, "Nicht gefunden"},
      {"HTTP/1.1 204 ", 204, ""},
      {"HTTP/1.0 302 Found", 302, "Found"},  // no Location: nothing to follow
  };
  for (const auto& c : cases) {
    TRawAnswerServer server(c.statusLine + "\r\nContent-Length: 0\r\nX-Raw: yes\r\n\r\n");
    const THttpResponse answer = MakeClient()->Get(server.Url());
    EXPECT_EQ(answer.StatusCode, c.code) << c.statusLine;
    EXPECT_EQ(answer.StatusText, c.text) << c.statusLine;
    EXPECT_EQ(answer.HeaderValue("X-Raw"), "yes") << c.statusLine;
  }
}

TEST_F(CurlHttpClient, RedirectsAreFollowedAndOnlyTheFinalAnswerKept) {
  for (const bool head : {false, true}) {
    auto client = MakeClient();
    const std::string url = Url("/redirect/3");
    const THttpResponse answer = head ? client->Head(url) : client->Get(url);
    EXPECT_EQ(answer.StatusCode, 200);
    EXPECT_EQ(answer.StatusText, "OK");
    EXPECT_EQ(answer.HeaderValue("X-Hop"), "");
    EXPECT_EQ(answer.HeaderValue("Location"), "");
    EXPECT_EQ(answer.Body, head ? "" : "arrived");
  }
}

TEST_F(CurlHttpClient, RedirectChainLongerThanTheLimitFails) {
  THttpClientSettings settings = FastSettings();
  settings.MaxRedirects = 2;
  auto client = MakeClient(settings);
  EXPECT_EQ(client->Get(Url("/redirect/2")).Body, "arrived");
  EXPECT_THROW(client->Get(Url("/redirect/3")), EHttpError);
  settings.MaxRedirects = -1;  // must not mean "no limit"
  EXPECT_THROW(MakeClient(settings)->Get(Url("/redirect/1")), EHttpError);
}

TEST_F(CurlHttpClient, WithoutFollowingTheRedirectIsTheAnswer) {
  THttpClientSettings settings = FastSettings();
  settings.FollowRedirects = false;
  const THttpResponse answer = MakeClient(settings)->Get(Url("/redirect/1"));
  EXPECT_EQ(answer.StatusCode, 302);
  EXPECT_EQ(answer.StatusText, "Found");
  EXPECT_EQ(answer.HeaderValue("Location"), "/redirect/0");
  EXPECT_EQ(answer.HeaderValue("X-Hop"), "1");
}

TEST_F(CurlHttpClient, OnlyHttpAndHttpsAreFetchedAlsoThroughRedirects) {
  THttpClientSettings settings = FastSettings();
  settings.ConnectTimeout = settings.ResponseTimeout = 300ms;
  auto client = MakeClient(settings);
  TRawAnswerServer other("220 ready\r\n");
  for (const char* scheme : {"ftp", "gopher", "dict", "telnet"}) {
    const std::string target = other.Url(scheme);
    EXPECT_THROW(client->Get(target), EHttpError) << target;
    EXPECT_THROW(client->Get(Url("/redirect-to?url=") + target), EHttpError) << target;
  }
  EXPECT_EQ(other.Connections(), 0);
  EXPECT_THROW(client->Get(Url("/redirect-to?url=file:///etc/hostname")), EHttpError);
}

TEST_F(CurlHttpClient, CookiesOfAHeadAnswerGoWithTheNextGetOfTheSameClientOnly) {
  auto client = MakeClient();
  client->Head(Url("/set-cookie"));
  EXPECT_EQ(client->Get(Url("/echo-cookie")).Body, "session=abc123");
  EXPECT_EQ(MakeClient()->Get(Url("/echo-cookie")).Body, "");
}

TEST_F(CurlHttpClient, CookiesAreSharedByThreadsUsingOneClient) {
  constexpr int kThreads = 4, kRequestsEach = 10;
  auto client = MakeClient();
  std::atomic<int> failures = 0;
  const auto setCookie = [&](const std::string& name) {
    try {
      if (client->Get(Url("/cookie/" + name)).StatusCode != 200) ++failures;
    } catch (const EHttpError&) {
      ++failures;
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int r = 0; r < kRequestsEach; ++r)
        setCookie("t" + std::to_string(t) + "_" + std::to_string(r));
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);

  // Each request carried the cookie of the same thread's request before it.
  for (const auto& request : FServer.Requests()) {
    const auto name = request.Path.substr(std::string("/cookie/").size());
    const auto separator = name.find('_');
    const int r = std::stoi(name.substr(separator + 1));
    if (r > 0) {
      const auto previous = name.substr(0, separator + 1) + std::to_string(r - 1) + "=1";
      EXPECT_NE(request.Cookie.find(previous), std::string::npos) << request.Cookie;
    }
  }
  const std::string all = client->Get(Url("/echo-cookie")).Body;
  for (int t = 0; t < kThreads; ++t)
    for (int r = 0; r < kRequestsEach; ++r) {
      const auto cookie = "t" + std::to_string(t) + "_" + std::to_string(r) + "=1";
      EXPECT_NE(all.find(cookie), std::string::npos) << cookie;
    }
}

TEST_F(CurlHttpClient, BodyInMemoryIsBounded) {
  THttpClientSettings settings = FastSettings();
  settings.MaxBodyBytes = 1000;
  auto client = MakeClient(settings);
  const THttpResponse answer = client->Get(Url("/bytes/1000"));
  EXPECT_EQ(answer.Body.size(), 1000u);
  EXPECT_EQ(answer.Body[0], '\0');
  EXPECT_THROW(client->Get(Url("/bytes/1001")), EHttpError);
}

TEST_F(CurlHttpClient, BodyGoesToTheSinkWithoutTheMemoryBound) {
  THttpClientSettings settings = FastSettings();
  settings.MaxBodyBytes = 1000;
  std::string received;
  const THttpResponse answer = MakeClient(settings)->Get(Url("/bytes/100000"), [&](auto chunk) {
    received.append(chunk);
    return true;
  });
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.Body, "");
  EXPECT_EQ(received.size(), 100000u);
  EXPECT_EQ(received[0], '\0');
}

TEST_F(CurlHttpClient, SinkAfterRedirectGetsOnlyTheFinalBody) {
  std::string received;
  MakeClient()->Get(Url("/redirect/2"), [&](auto chunk) {
    received.append(chunk);
    return true;
  });
  EXPECT_EQ(received, "arrived");
}

TEST_F(CurlHttpClient, SinkRefusingOrThrowingAbortsTheRequest) {
  auto client = MakeClient();
  EXPECT_THROW(client->Get(Url("/bytes/100000"), [](auto) { return false; }), EHttpError);
  EXPECT_THROW(
      client->Get(Url("/bytes/10"), [](auto) -> bool { throw std::logic_error("disk full"); }),
      std::logic_error);
}

TEST_F(CurlHttpClient, FailuresWithoutAnswerThrow) {
  TRefusingPort refusing;
  auto client = MakeClient();
  for (const std::string& url : {"http://127.0.0.1:" + std::to_string(refusing.Port()) + "/",
                                 std::string(""), std::string("http://no-such-host.invalid/")}) {
    EXPECT_THROW(client->Get(url), EHttpError) << url;
    EXPECT_THROW(client->Head(url), EHttpError) << url;
  }
}

TEST_F(CurlHttpClient, SlowAnswerAndEndlessBodyTimeOut) {
  THttpClientSettings settings = FastSettings();
  settings.ConnectTimeout = 200ms;
  settings.ResponseTimeout = 300ms;
  auto client = MakeClient(settings);
  for (const char* path : {"/slow", "/endless"}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(client->Get(Url(path)), EHttpError) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << path;
  }
}

class CurlHttpClientCertificate : public ::testing::Test {
 protected:
  void SetUp() override {
    FServer.Server().Get("/secure", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("secret", "text/plain");
    });
    FServer.Start();
  }

  // A client whose certificate prompt answers `accept` and counts how often it was asked.
  std::unique_ptr<IHttpClient> ClientAnswering(bool accept) {
    THttpClientSettings settings = FastSettings();
    settings.OnInvalidCertificate = [this, accept](bool& accepted) {
      ++FPrompts;
      if (accepted) ++FPromptsStartingAccepted;
      accepted = accept;
    };
    return MakeClient(settings);
  }

  TTestServer FServer{true};
  int FPrompts = 0;
  int FPromptsStartingAccepted = 0;
};

TEST_F(CurlHttpClientCertificate, SelfSignedCertificateFailsWithoutPrompt) {
  EXPECT_THROW(MakeClient()->Get(FServer.BaseUrl() + "/secure"), EHttpError);
  EXPECT_TRUE(FServer.Requests().empty());
}

TEST_F(CurlHttpClientCertificate, PromptAnsweredNoFails) {
  EXPECT_THROW(ClientAnswering(false)->Get(FServer.BaseUrl() + "/secure"), EHttpError);
  EXPECT_EQ(FPrompts, 1);
  EXPECT_EQ(FPromptsStartingAccepted, 0);
  EXPECT_TRUE(FServer.Requests().empty());
}

TEST_F(CurlHttpClientCertificate, PromptAnsweredYesReadsTheAnswerAndAsksAgainNextTime) {
  auto client = ClientAnswering(true);
  const THttpResponse answer = client->Get(FServer.BaseUrl() + "/secure");
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.Body, "secret");
  EXPECT_EQ(FPrompts, 1);
  EXPECT_EQ(FPromptsStartingAccepted, 0);
  EXPECT_EQ(FServer.Requests().size(), 1u);

  EXPECT_EQ(client->Head(FServer.BaseUrl() + "/secure").StatusCode, 200);
  EXPECT_EQ(FPrompts, 2);
}

}  // namespace
