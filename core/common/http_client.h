#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The request failed without an answer: refused, unresolved, time-out, a certificate that was not
// accepted, a body over the bound, or a broken transfer. what() is the client's own message.
struct EHttpError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct THttpResponse {
  int StatusCode = 0;
  std::string StatusText;
  std::vector<std::pair<std::string, std::string>> Headers;  // of the final answer
  std::string Body;  // empty when the body went to a sink

  // The first header of that name, compared without regard to ASCII case; empty when absent.
  std::string HeaderValue(std::string_view name) const;
  std::string ContentType() const { return HeaderValue("Content-Type"); }
};

// Called when a server certificate does not validate. `accepted` comes in false; setting it true
// lets that request go on without the failed check, leaving it false fails the request.
using TCertificateHandler = std::function<void(bool& accepted)>;

// Receives the body as it arrives; returning false aborts the request with EHttpError.
using TBodySink = std::function<bool(std::string_view chunk)>;

struct THttpClientSettings {
  std::string UserAgent;
  bool FollowRedirects = true;
  int MaxRedirects = 5;
  std::chrono::milliseconds ConnectTimeout{30000};
  // How long an answer may take once connected; with the connect time-out it bounds the whole
  // request, so that a body that never ends cannot hold the caller for ever.
  std::chrono::milliseconds ResponseTimeout{30000};
  // Bodies kept in memory larger than this fail the request.
  size_t MaxBodyBytes = 8 * 1024 * 1024;
  TCertificateHandler OnInvalidCertificate;
  // Once set to true, running and later requests of the client fail soon with EHttpError.
  std::shared_ptr<std::atomic<bool>> Cancel;
};

// One client keeps its cookies for its whole life and sends them with every later request.
// Requests are synchronous. A client may serve requests from several threads at once.
class IHttpClient {
 public:
  virtual ~IHttpClient() = default;
  // Throws EHttpError when no answer arrived. With a sink the body goes there and not into Body.
  virtual THttpResponse Get(const std::string& url, const TBodySink& sink = nullptr) = 0;
  virtual THttpResponse Head(const std::string& url) = 0;
};

class IHttpClientFactory {
 public:
  virtual ~IHttpClientFactory() = default;
  virtual std::unique_ptr<IHttpClient> Create(const THttpClientSettings& settings) = 0;
};
