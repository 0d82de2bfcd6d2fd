#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/user_agent.h"
#include "win_http_client.h"
#include "win_http_peer.h"

using namespace std::chrono_literals;

namespace {

THttpClientSettings FastSettings() {
  THttpClientSettings settings;
  settings.UserAgent = sUserAgent;
  settings.ConnectTimeout = 2000ms;
  settings.ResponseTimeout = 5000ms;
  return settings;
}

std::unique_ptr<IHttpClient> MakeClient(const THttpClientSettings& settings = FastSettings()) {
  return TWinHttpClientFactory().Create(settings);
}

class WinHttpClient : public ::testing::Test {
 protected:
  void SetUp() override { ClearPeerRequests(); }
  static std::string Url(const std::string& path) { return TPeer::Get().HttpUrl(path); }
};

TEST_F(WinHttpClient, GetReadsStatusHeadersAndBody) {
  const THttpResponse answer = MakeClient()->Get(Url("/hello"));
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.StatusText, "OK");
  EXPECT_EQ(answer.Body, "hello world");
  EXPECT_EQ(answer.ContentType(), "text/plain; charset=utf-8");
  EXPECT_EQ(answer.HeaderValue("x-answer"), "42");
  EXPECT_EQ(answer.HeaderValue("Content-Length"), "11");
  const auto requests = PeerRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Method, "GET");
  EXPECT_EQ(requests[0].Target, "/hello");
  EXPECT_EQ(requests[0].UserAgent, "Tarrowind Connect Client/1.0");
}

TEST_F(WinHttpClient, HeadReadsHeadersWithoutBody) {
  const THttpResponse answer = MakeClient()->Head(Url("/hello"));
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.ContentType(), "text/plain; charset=utf-8");
  EXPECT_EQ(answer.Body, "");
  const auto requests = PeerRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Method, "HEAD");
  EXPECT_EQ(requests[0].UserAgent, "Tarrowind Connect Client/1.0");
}

TEST_F(WinHttpClient, StatusCodeAndReasonPhrase) {
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

TEST(WinHttpClientRaw, ReasonPhraseIsTakenFromTheStatusLine) {
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
    const THttpResponse answer = MakeClient()->Get(TPeer::Get().RawUrl(c.statusLine));
    EXPECT_EQ(answer.StatusCode, c.code) << c.statusLine;
    EXPECT_EQ(answer.StatusText, c.text) << c.statusLine;
    EXPECT_EQ(answer.HeaderValue("X-Raw"), "yes") << c.statusLine;
  }
}

TEST_F(WinHttpClient, RedirectsAreFollowedAndOnlyTheFinalAnswerKept) {
  for (const bool head : {false, true}) {
    auto client = MakeClient();
    const std::string url = Url("/redirect/3");
    const THttpResponse answer = head ? client->Head(url) : client->Get(url);
    EXPECT_EQ(answer.StatusCode, 200) << head;
    EXPECT_EQ(answer.StatusText, "OK") << head;
    EXPECT_EQ(answer.HeaderValue("X-Hop"), "") << head;
    EXPECT_EQ(answer.HeaderValue("Location"), "") << head;
    EXPECT_EQ(answer.Body, head ? "" : "arrived");
  }
  const auto requests = PeerRequests();
  ASSERT_EQ(requests.size(), 8u);
  EXPECT_EQ(requests[3].Target, "/redirect/0");
  EXPECT_EQ(requests[7].Method, "HEAD");
}

TEST_F(WinHttpClient, RedirectChainLongerThanTheLimitFails) {
  THttpClientSettings settings = FastSettings();
  settings.MaxRedirects = 2;
  auto client = MakeClient(settings);
  EXPECT_EQ(client->Get(Url("/redirect/2")).Body, "arrived");
  EXPECT_THROW(client->Get(Url("/redirect/3")), EHttpError);
  EXPECT_THROW(client->Head(Url("/redirect/3")), EHttpError);
  for (const int limit : {0, -1}) {  // neither means "no limit"
    settings.MaxRedirects = limit;
    EXPECT_THROW(MakeClient(settings)->Get(Url("/redirect/1")), EHttpError) << limit;
    EXPECT_EQ(MakeClient(settings)->Get(Url("/redirect/0")).Body, "arrived") << limit;
  }
}

TEST_F(WinHttpClient, WithoutFollowingTheRedirectIsTheAnswer) {
  THttpClientSettings settings = FastSettings();
  settings.FollowRedirects = false;
  const THttpResponse answer = MakeClient(settings)->Get(Url("/redirect/1"));
  EXPECT_EQ(answer.StatusCode, 302);
  EXPECT_EQ(answer.StatusText, "Found");
  EXPECT_EQ(answer.HeaderValue("Location"), "/redirect/0");
  EXPECT_EQ(answer.HeaderValue("X-Hop"), "1");
}

TEST_F(WinHttpClient, OnlyHttpAndHttpsAreFetchedAlsoThroughRedirects) {
  THttpClientSettings settings = FastSettings();
  settings.ConnectTimeout = settings.ResponseTimeout = 300ms;
  auto client = MakeClient(settings);
  const std::string other = "://127.0.0.1:" + std::to_string(TPeer::Get().Raw) + "/";
  for (const char* scheme : {"ftp", "gopher", "file"}) {
    const std::string target = scheme + other;
    EXPECT_THROW(client->Get(target), EHttpError) << target;
    EXPECT_THROW(client->Get(Url("/redirect-to?url=") + target), EHttpError) << target;
  }
  EXPECT_THROW(client->Get(Url("/redirect-to?url=file:///etc/hostname")), EHttpError);
}

TEST_F(WinHttpClient, RedirectLocationsAreReadAgainstTheRedirectingAddress) {
  const std::string hostAndPort = "//127.0.0.1:" + std::to_string(TPeer::Get().Http);
  struct Case {
    std::string path, body;
  } cases[] = {
      {"/relative/start", "arrived at end"},
      {"/redirect-to?url=" + hostAndPort + "/hello", "hello world"},
      {"/redirect-to?url=/hello", "hello world"},
      {"/redirect-to?url=http:" + hostAndPort + "/relative/absolute", "arrived at absolute"},
  };
  auto client = MakeClient();
  for (const auto& c : cases) EXPECT_EQ(client->Get(Url(c.path)).Body, c.body) << c.path;
}

TEST_F(WinHttpClient, RedirectsMayLeadFromHttpToHttpsAndBack) {
  THttpClientSettings settings = FastSettings();
  int prompts = 0;
  settings.OnInvalidCertificate = [&prompts](bool& accepted) {
    ++prompts;
    accepted = true;
  };
  auto client = MakeClient(settings);
  const std::string toHttps = Url("/redirect-to?url=") + TPeer::Get().HttpsUrl("/hello");
  EXPECT_EQ(client->Get(toHttps).Body, "hello world");
  EXPECT_EQ(prompts, 1);
  const std::string toHttp = TPeer::Get().HttpsUrl("/redirect-to?url=") + Url("/hello");
  EXPECT_EQ(client->Get(toHttp).Body, "hello world");
}

TEST_F(WinHttpClient, CookiesOfAHeadAnswerGoWithTheNextGetOfTheSameClientOnly) {
  auto client = MakeClient();
  client->Head(Url("/set-cookie"));
  EXPECT_EQ(client->Get(Url("/echo-cookie")).Body, "session=abc123");
  EXPECT_EQ(MakeClient()->Get(Url("/echo-cookie")).Body, "");
}

TEST_F(WinHttpClient, CookieSetOnTheWayOfARedirectGoesWithItsTarget) {
  EXPECT_EQ(MakeClient()->Get(Url("/cookie-then-redirect")).Body, "hop=1");
}

TEST_F(WinHttpClient, CookiesAreSharedByThreadsUsingOneClient) {
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
  const auto requests = PeerRequests();
  EXPECT_EQ(requests.size(), size_t(kThreads * kRequestsEach));
  for (const auto& request : requests) {
    const auto name = request.Target.substr(std::string("/cookie/").size());
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

TEST_F(WinHttpClient, BodyInMemoryIsBounded) {
  THttpClientSettings settings = FastSettings();
  settings.MaxBodyBytes = 1000;
  auto client = MakeClient(settings);
  const THttpResponse answer = client->Get(Url("/bytes/1000"));
  EXPECT_EQ(answer.Body.size(), 1000u);
  EXPECT_EQ(answer.Body[0], '\0');
  EXPECT_THROW(client->Get(Url("/bytes/1001")), EHttpError);
}

TEST_F(WinHttpClient, BodyGoesToTheSinkWithoutTheMemoryBound) {
  THttpClientSettings settings = FastSettings();
  settings.MaxBodyBytes = 1000;
  std::string received;
  const THttpResponse answer = MakeClient(settings)->Get(Url("/bytes/300000"), [&](auto chunk) {
    received.append(chunk);
    return true;
  });
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.Body, "");
  EXPECT_EQ(received.size(), 300000u);
  EXPECT_EQ(received[0], '\0');
  EXPECT_EQ(received.find_first_not_of('x', 1), std::string::npos);
}

TEST_F(WinHttpClient, SinkAfterRedirectGetsOnlyTheFinalBody) {
  std::string received;
  MakeClient()->Get(Url("/redirect/2"), [&](auto chunk) {
    received.append(chunk);
    return true;
  });
  EXPECT_EQ(received, "arrived");
}

TEST_F(WinHttpClient, SinkRefusingOrThrowingAbortsTheRequest) {
  auto client = MakeClient();
  EXPECT_THROW(client->Get(Url("/bytes/100000"), [](auto) { return false; }), EHttpError);
  EXPECT_THROW(
      client->Get(Url("/bytes/10"), [](auto) -> bool { throw std::logic_error("disk full"); }),
      std::logic_error);
}

TEST_F(WinHttpClient, FailuresWithoutAnswerThrowWithAReadableMessage) {
  struct Case {
    std::string url;
    std::string inMessage;
  } cases[] = {
      {TPeer::Get().RefusedUrl(), "(error 12029)"},  // ERROR_WINHTTP_CANNOT_CONNECT
      {"", "'' is not a valid address"},
      {"http://no-such-host.invalid/", "(error 12007)"},  // ERROR_WINHTTP_NAME_NOT_RESOLVED
  };
  auto client = MakeClient();
  for (const auto& c : cases) {
    for (const bool head : {false, true}) {
      try {
        head ? client->Head(c.url) : client->Get(c.url);
        ADD_FAILURE() << c.url << " gave an answer";
      } catch (const EHttpError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(c.inMessage), std::string::npos) << message;
        // A text that says what went wrong, not only that something did.
        EXPECT_EQ(message.find("The HTTP request failed"), std::string::npos) << message;
      }
    }
  }
}

TEST_F(WinHttpClient, SlowAnswerAndEndlessBodyTimeOut) {
  THttpClientSettings settings = FastSettings();
  settings.ConnectTimeout = 200ms;
  settings.ResponseTimeout = 300ms;
  auto client = MakeClient(settings);
  for (const char* path : {"/slow", "/endless"}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(client->Get(Url(path)), EHttpError) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << path;
  }
}

TEST_F(WinHttpClient, CancelStopsTheRunningRequestAndLaterOnes) {
  THttpClientSettings settings = FastSettings();
  settings.Cancel = std::make_shared<std::atomic<bool>>(false);
  auto client = MakeClient(settings);
  std::thread canceller([flag = settings.Cancel] {
    std::this_thread::sleep_for(300ms);
    *flag = true;
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(client->Get(Url("/endless")), EHttpError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  canceller.join();
  ClearPeerRequests();
  EXPECT_THROW(client->Get(Url("/hello")), EHttpError);
  EXPECT_TRUE(PeerRequests().empty());
}

class WinHttpClientCertificate : public ::testing::Test {
 protected:
  void SetUp() override { ClearPeerRequests(true); }

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

  static std::string Url(const std::string& path) { return TPeer::Get().HttpsUrl(path); }

  int FPrompts = 0;
  int FPromptsStartingAccepted = 0;
};

TEST_F(WinHttpClientCertificate, SelfSignedCertificateFailsWithoutPrompt) {
  EXPECT_THROW(MakeClient()->Get(Url("/hello")), EHttpError);
  EXPECT_TRUE(PeerRequests(true).empty());
}

TEST_F(WinHttpClientCertificate, PromptAnsweredNoFails) {
  for (const bool head : {false, true}) {
    auto client = ClientAnswering(false);
    EXPECT_THROW(head ? client->Head(Url("/hello")) : client->Get(Url("/hello")), EHttpError);
  }
  EXPECT_EQ(FPrompts, 2);
  EXPECT_EQ(FPromptsStartingAccepted, 0);
  EXPECT_TRUE(PeerRequests(true).empty());
}

TEST_F(WinHttpClientCertificate, PromptAnsweredYesReadsTheAnswerAndAsksAgainNextTime) {
  auto client = ClientAnswering(true);
  const THttpResponse answer = client->Get(Url("/hello"));
  EXPECT_EQ(answer.StatusCode, 200);
  EXPECT_EQ(answer.Body, "hello world");
  EXPECT_EQ(FPrompts, 1);
  EXPECT_EQ(FPromptsStartingAccepted, 0);

  const THttpResponse head = client->Head(Url("/hello"));
  EXPECT_EQ(head.StatusCode, 200);
  EXPECT_EQ(head.ContentType(), "text/plain; charset=utf-8");
  EXPECT_EQ(FPrompts, 2);

  const auto requests = PeerRequests(true);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Method, "GET");
  EXPECT_EQ(requests[1].Method, "HEAD");
  EXPECT_EQ(requests[1].UserAgent, "Tarrowind Connect Client/1.0");
}

TEST_F(WinHttpClientCertificate, CookiesAndRedirectsWorkOverHttpsToo) {
  auto client = ClientAnswering(true);
  client->Head(Url("/set-cookie"));
  EXPECT_EQ(client->Get(Url("/redirect/2")).Body, "arrived");
  EXPECT_EQ(client->Get(Url("/echo-cookie")).Body, "session=abc123");
}

}  // namespace
