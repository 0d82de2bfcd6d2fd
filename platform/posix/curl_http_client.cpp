#include "curl_http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <exception>
#include <mutex>
#include <string_view>

#include "curl_global.h"

namespace {

// Redirects must not lead anywhere else either, e.g. to file:// or ftp://.
constexpr const char* kAllowedProtocols = "http,https";
constexpr const char* kCancelledMessage = "The HTTP request was cancelled";

// The certificate did not validate; the client may ask whether to go on without the check.
struct ECertificateRejected : EHttpError {
  using EHttpError::EHttpError;
};

bool IsCertificateFailure(CURLcode code) {
  return code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_ISSUER_ERROR ||
         code == CURLE_SSL_INVALIDCERTSTATUS;
}

long ToCurlMillis(long long millis) {
  return static_cast<long>(std::clamp<long long>(millis, 0, LONG_MAX));
}

std::string_view TrimSpace(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// One cookie store for all easy handles of a client; curl calls the lock functions from whichever
// thread runs a request.
class TCookieShare {
 public:
  TCookieShare() : FHandle(curl_share_init()) {
    if (FHandle == nullptr) throw EHttpError("The HTTP cookie store could not be created");
    curl_share_setopt(FHandle, CURLSHOPT_LOCKFUNC, &Lock);
    curl_share_setopt(FHandle, CURLSHOPT_UNLOCKFUNC, &Unlock);
    curl_share_setopt(FHandle, CURLSHOPT_USERDATA, this);
    curl_share_setopt(FHandle, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  }
  ~TCookieShare() { curl_share_cleanup(FHandle); }
  TCookieShare(const TCookieShare&) = delete;
  TCookieShare& operator=(const TCookieShare&) = delete;

  CURLSH* Handle() const { return FHandle; }

 private:
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<TCookieShare*>(self)->MutexFor(data).lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<TCookieShare*>(self)->MutexFor(data).unlock();
  }
  std::mutex& MutexFor(curl_lock_data data) {
    const auto index = static_cast<size_t>(data);
    return FMutexes[index < FMutexes.size() ? index : 0];
  }

  CURLSH* FHandle;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> FMutexes;
};

// What the callbacks of one transfer collect.
struct TTransfer {
  size_t MaxBodyBytes = 0;
  const TBodySink* Sink = nullptr;
  const std::atomic<bool>* Cancel = nullptr;
  THttpResponse Response;
  std::string Failure;  // why a callback stopped the transfer
  std::exception_ptr SinkError;

  // Every answer of a redirect chain starts with its status line; only the last one is kept.
  void StartAnswer(std::string_view statusLine) {
    Response.Headers.clear();
    Response.Body.clear();
    Response.StatusText.clear();
    const auto codeStart = statusLine.find(' ');
    if (codeStart == std::string_view::npos) return;
    const auto textStart = statusLine.find(' ', codeStart + 1);
    if (textStart != std::string_view::npos)
      Response.StatusText = std::string(TrimSpace(statusLine.substr(textStart + 1)));
  }

  void AddHeaderLine(std::string_view line) {
    if ((line.front() == ' ' || line.front() == '\t') && !Response.Headers.empty()) {
      auto& value = Response.Headers.back().second;  // an obsolete folded continuation
      value += ' ';
      value += TrimSpace(line);
      return;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return;
    Response.Headers.emplace_back(std::string(TrimSpace(line.substr(0, colon))),
                                  std::string(TrimSpace(line.substr(colon + 1))));
  }

  bool TakeBody(std::string_view chunk) {
    if (Sink != nullptr) return PassToSink(chunk);
    if (Response.Body.size() + chunk.size() > MaxBodyBytes) {
      Failure = "The answer's body is larger than " + std::to_string(MaxBodyBytes) + " bytes";
      return false;
    }
    Response.Body.append(chunk);
    return true;
  }

  bool Cancelled() {
    if (Cancel == nullptr || !Cancel->load()) return false;
    Failure = kCancelledMessage;
    return true;
  }

  bool PassToSink(std::string_view chunk) {
    try {
      if ((*Sink)(chunk)) return true;
      Failure = "The answer's body was refused by its receiver";
    } catch (...) {
      SinkError = std::current_exception();
    }
    return false;
  }
};

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& transfer = *static_cast<TTransfer*>(user);
  const size_t length = size * count;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.starts_with("HTTP/"))
    transfer.StartAnswer(line);
  else if (!line.empty())
    transfer.AddHeaderLine(line);
  return length;
}

size_t OnBodyChunk(char* data, size_t size, size_t count, void* user) {
  const size_t length = size * count;
  return static_cast<TTransfer*>(user)->TakeBody(std::string_view(data, length)) ? length : 0;
}

// curl calls this at least about once a second, also while it waits for a connection or an answer.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<TTransfer*>(user)->Cancelled() ? 1 : 0;
}

using TEasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

class TCurlHttpClient : public IHttpClient {
 public:
  explicit TCurlHttpClient(const THttpClientSettings& settings) : FSettings(settings) {}

  THttpResponse Get(const std::string& url, const TBodySink& sink) override {
    return Request(url, false, sink ? &sink : nullptr);
  }
  THttpResponse Head(const std::string& url) override { return Request(url, true, nullptr); }

 private:
  enum class TCertificateCheck { Verify, Skip };

  THttpResponse Request(const std::string& url, bool head, const TBodySink* sink) {
    try {
      return Perform(url, head, sink, TCertificateCheck::Verify);
    } catch (const ECertificateRejected& e) {
      if (!UserAcceptsInvalidCertificate()) throw EHttpError(e.what());
      return Perform(url, head, sink, TCertificateCheck::Skip);
    }
  }

  bool UserAcceptsInvalidCertificate() const {
    if (!FSettings.OnInvalidCertificate) return false;
    bool accepted = false;
    FSettings.OnInvalidCertificate(accepted);
    return accepted;
  }

  THttpResponse Perform(const std::string& url, bool head, const TBodySink* sink,
                        TCertificateCheck check) {
    TEasyHandle easy(curl_easy_init(), &curl_easy_cleanup);
    if (!easy) throw EHttpError("The HTTP request could not be created");
    TTransfer transfer;
    transfer.MaxBodyBytes = FSettings.MaxBodyBytes;
    transfer.Sink = sink;
    transfer.Cancel = FSettings.Cancel.get();
    if (transfer.Cancelled()) throw EHttpError(transfer.Failure);
    char errorText[CURL_ERROR_SIZE] = {};
    Configure(easy.get(), url, head, check);
    curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy.get(), CURLOPT_HEADERFUNCTION, &OnHeaderLine);
    curl_easy_setopt(easy.get(), CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &OnBodyChunk);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &transfer);
    if (transfer.Cancel != nullptr) {
      curl_easy_setopt(easy.get(), CURLOPT_XFERINFOFUNCTION, &OnProgress);
      curl_easy_setopt(easy.get(), CURLOPT_XFERINFODATA, &transfer);
      curl_easy_setopt(easy.get(), CURLOPT_NOPROGRESS, 0L);
    }
    const CURLcode result = curl_easy_perform(easy.get());
    if (transfer.SinkError) std::rethrow_exception(transfer.SinkError);
    if (!transfer.Failure.empty()) throw EHttpError(transfer.Failure);
    if (result != CURLE_OK) ThrowFailure(result, errorText);
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    transfer.Response.StatusCode = static_cast<int>(status);
    return std::move(transfer.Response);
  }

  void Configure(CURL* easy, const std::string& url, bool head, TCertificateCheck check) const {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_SHARE, FCookies.Handle());
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // switches the cookie engine on, no file
    if (!FSettings.UserAgent.empty())
      curl_easy_setopt(easy, CURLOPT_USERAGENT, FSettings.UserAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, FSettings.FollowRedirects ? 1L : 0L);
    // curl reads -1 as "no limit"; a loop of redirects must still end.
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS,
                     static_cast<long>(std::max(FSettings.MaxRedirects, 0)));
    const auto connectMs = FSettings.ConnectTimeout.count();
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, ToCurlMillis(connectMs));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                     ToCurlMillis(connectMs + FSettings.ResponseTimeout.count()));
    if (head) curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    const long verify = check == TCertificateCheck::Verify ? 1L : 0L;
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, verify);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, verify * 2);
  }

  [[noreturn]] static void ThrowFailure(CURLcode result, const char* errorText) {
    const std::string message = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
    if (IsCertificateFailure(result)) throw ECertificateRejected(message);
    throw EHttpError(message);
  }

  const THttpClientSettings FSettings;
  const TCookieShare FCookies;
};

}  // namespace

std::unique_ptr<IHttpClient> TCurlHttpClientFactory::Create(const THttpClientSettings& settings) {
  EnsureCurlGlobalInit();
  return std::make_unique<TCurlHttpClient>(settings);
}
