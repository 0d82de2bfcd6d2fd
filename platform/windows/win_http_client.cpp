#include "win_http_client.h"

// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <optional>
#include <string_view>

#include "win_text.h"
#include "win_uri_parser.h"

namespace {

constexpr const char* kCancelledMessage = "The HTTP request was cancelled";
constexpr DWORD kReadChunkBytes = 64 * 1024;
// The four certificate failures a user may choose to accept.
constexpr DWORD kIgnoredCertificateErrors =
    SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE |
    SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;

// The certificate did not validate; the client may ask whether to go on without the check.
struct ECertificateRejected : EHttpError {
  using EHttpError::EHttpError;
};

// Windows answers a bad certificate in a synchronous request with 12175; Wine answers every failed
// handshake or verification with 12157.
bool IsCertificateFailure(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
      return true;
    default:
      return false;
  }
}

bool IsWinHttpError(DWORD error) {
  return error >= WINHTTP_ERROR_BASE && error < WINHTTP_ERROR_BASE + 1000;
}

std::wstring_view TrimSpace(std::wstring_view text) {
  const auto first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L" \t\r\n");
  return text.substr(first, last - first + 1);
}

// For systems whose WinHTTP carries no texts of its own (Wine's has none).
const char* KnownErrorText(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return "The request timed out";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return "The server name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return "No connection to the server could be made";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return "The connection to the server was reset or ended";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return "The server's answer could not be read";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
      return "The server's certificate is not valid or the secure connection failed";
    default:
      return "The HTTP request failed";
  }
}

// The system's text for an error code; WinHTTP keeps the texts of its own codes in its module.
std::string ErrorText(DWORD error) {
  const HMODULE module = IsWinHttpError(error) ? GetModuleHandleW(L"winhttp.dll") : nullptr;
  const DWORD source = module != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM;
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | source,
                     module, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message;
  if (length > 0 && text != nullptr) message = FromWide(TrimSpace(std::wstring_view(text, length)));
  if (text != nullptr) LocalFree(text);
  if (message.empty()) message = KnownErrorText(error);
  message.append(" (error ").append(std::to_string(error)).append(")");
  return message;
}

[[noreturn]] void ThrowLastError() {
  const DWORD error = GetLastError();
  if (IsCertificateFailure(error)) throw ECertificateRejected(ErrorText(error));
  throw EHttpError(ErrorText(error));
}

// WinHTTP reads a time-out of 0 as "wait for ever".
int ToTimeoutMillis(std::chrono::milliseconds duration) {
  return static_cast<int>(std::clamp<long long>(duration.count(), 1, INT_MAX));
}

void SetDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  if (!WinHttpSetOption(handle, option, &value, sizeof value)) ThrowLastError();
}

bool IsRedirectStatus(int code) {
  return code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
}

struct THandleCloser {
  void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using TInternetHandle = std::unique_ptr<void, THandleCloser>;

// The end of the whole request, so that an answer that never ends cannot hold the caller for ever.
class TDeadline {
 public:
  explicit TDeadline(std::chrono::milliseconds limit)
      : FLimit(limit), FEnd(std::chrono::steady_clock::now() + limit) {}
  bool Passed() const { return std::chrono::steady_clock::now() >= FEnd; }
  std::chrono::milliseconds Remaining() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(FEnd -
                                                                 std::chrono::steady_clock::now());
  }
  std::string Message() const {
    return "The answer took longer than " + std::to_string(FLimit.count()) + " ms";
  }

 private:
  std::chrono::milliseconds FLimit;
  std::chrono::steady_clock::time_point FEnd;
};

// What WinHTTP is asked to connect to and request.
struct TRequestTarget {
  bool Secure = false;
  std::wstring Host;
  INTERNET_PORT Port = 0;
  std::wstring PathAndQuery;
};

// The request target goes to WinHTTP with its own escaping switched off, as versions of it escape
// differently: every byte that may not stand in a request line is percent-encoded here, in UTF-8.
std::string EscapeTarget(const std::string& target) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char ch : target) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte > 0x20 && byte < 0x7F) {
      escaped += ch;
    } else {
      escaped += '%';
      escaped += kHexDigits[byte >> 4];
      escaped += kHexDigits[byte & 0x0F];
    }
  }
  return escaped;
}

TURI ParseAddress(const std::string& url) {
  try {
    return TWinURIParser().Parse(url);
  } catch (const EURIParseError& e) {
    throw EHttpError(e.what());
  }
}

TRequestTarget TargetOf(const TURI& uri) {
  TRequestTarget target;
  target.Secure = uri.Scheme == "https";
  target.Host = ToWide(uri.Host);
  target.Port = static_cast<INTERNET_PORT>(uri.Port);
  std::string pathAndQuery = uri.Path;
  if (!uri.Query.empty()) pathAndQuery.append("?").append(uri.Query);
  target.PathAndQuery = ToWide(EscapeTarget(pathAndQuery));
  return target;
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "scheme:" at the start, as in every absolute address.
bool HasScheme(std::string_view location) {
  if (location.empty() || !IsAsciiLetter(location.front())) return false;
  for (const char c : location.substr(1)) {
    if (c == ':') return true;
    if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
      return false;
  }
  return false;
}

// Where a redirect leads: its Location read against the address that answered with it.
std::string ResolveLocation(const TURI& from, const std::string& location) {
  if (HasScheme(location)) return location;
  if (location.starts_with("//")) return from.Scheme + ":" + location;
  std::string resolved = from.Scheme + "://" + from.Host + ":" + std::to_string(from.Port);
  if (location.starts_with("/")) return resolved + location;
  if (location.starts_with("?")) return resolved + from.Path + location;
  if (location.starts_with("#")) {
    resolved += from.Path;
    if (!from.Query.empty()) resolved.append("?").append(from.Query);
    return resolved + location;
  }
  return resolved + from.Path.substr(0, from.Path.rfind('/') + 1) + location;
}

// A header's text, or nothing when the answer has no such header.
std::optional<std::wstring> QueryHeaderText(HINTERNET request, DWORD info) {
  DWORD bytes = 0;
  if (WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                          &bytes, WINHTTP_NO_HEADER_INDEX))
    return std::wstring();
  if (GetLastError() == ERROR_WINHTTP_HEADER_NOT_FOUND) return std::nullopt;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) ThrowLastError();
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX))
    ThrowLastError();
  text.resize(bytes / sizeof(wchar_t));
  return text;
}

// The header lines of the final answer, after its status line.
void AddHeaderLines(std::wstring_view raw, THttpResponse& response) {
  bool statusLine = true;
  while (!raw.empty()) {
    const auto end = raw.find(L"\r\n");
    const std::wstring_view line = raw.substr(0, end);
    raw.remove_prefix(end == std::wstring_view::npos ? raw.size() : end + 2);
    if (statusLine || line.empty()) {
      statusLine = false;
      continue;
    }
    if ((line.front() == L' ' || line.front() == L'\t') && !response.Headers.empty()) {
      auto& value = response.Headers.back().second;  // an obsolete folded continuation
      value.append(" ").append(FromWide(TrimSpace(line)));
      continue;
    }
    const auto colon = line.find(L':');
    if (colon == std::wstring_view::npos) continue;
    response.Headers.emplace_back(FromWide(TrimSpace(line.substr(0, colon))),
                                  FromWide(TrimSpace(line.substr(colon + 1))));
  }
}

THttpResponse ReadStatusAndHeaders(HINTERNET request) {
  THttpResponse response;
  DWORD code = 0, bytes = sizeof code;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &code, &bytes, WINHTTP_NO_HEADER_INDEX))
    ThrowLastError();
  response.StatusCode = static_cast<int>(code);
  if (const auto text = QueryHeaderText(request, WINHTTP_QUERY_STATUS_TEXT))
    response.StatusText = FromWide(TrimSpace(*text));
  if (const auto raw = QueryHeaderText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF))
    AddHeaderLines(*raw, response);
  return response;
}

class TWinHttpClient : public IHttpClient {
 public:
  explicit TWinHttpClient(const THttpClientSettings& settings)
      : FSettings(settings), FSession(OpenSession(settings.UserAgent)) {}

  THttpResponse Get(const std::string& url, const TBodySink& sink) override {
    return Request(url, false, sink ? &sink : nullptr);
  }
  THttpResponse Head(const std::string& url) override { return Request(url, true, nullptr); }

 private:
  enum class TCertificateCheck { Verify, Skip };

  static TInternetHandle OpenSession(const std::string& userAgent) {
    const std::wstring agent = ToWide(userAgent);
    TInternetHandle session(WinHttpOpen(agent.empty() ? nullptr : agent.c_str(),
                                        WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) ThrowLastError();
    return session;
  }

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

  void ThrowIfCancelled() const {
    if (FSettings.Cancel && FSettings.Cancel->load()) throw EHttpError(kCancelledMessage);
  }

  // One request and its answer's status and headers; the body waits to be read.
  struct TExchange {
    TInternetHandle Connection;
    TInternetHandle Request;
    THttpResponse Response;
  };

  // Redirects are followed here rather than by WinHTTP, so that they lead to http and https
  // addresses only, their number is bounded exactly and a redirect without a Location is an
  // answer like any other.
  THttpResponse Perform(const std::string& url, bool head, const TBodySink* sink,
                        TCertificateCheck check) {
    ThrowIfCancelled();
    const TDeadline deadline(FSettings.ConnectTimeout + FSettings.ResponseTimeout);
    TURI address = ParseAddress(url);
    for (int redirects = 0;; ++redirects) {
      TExchange exchange = Send(address, head, check, deadline);
      const std::string location = exchange.Response.HeaderValue("Location");
      if (!FSettings.FollowRedirects || !IsRedirectStatus(exchange.Response.StatusCode) ||
          location.empty()) {
        if (!head) ReadBody(exchange.Request.get(), sink, deadline, exchange.Response);
        return std::move(exchange.Response);
      }
      if (redirects >= FSettings.MaxRedirects)
        throw EHttpError("The answer redirects more than " +
                         std::to_string(std::max(FSettings.MaxRedirects, 0)) + " times");
      address = ParseAddress(ResolveLocation(address, location));
    }
  }

  TExchange Send(const TURI& address, bool head, TCertificateCheck check,
                 const TDeadline& deadline) const {
    if (deadline.Passed()) throw EHttpError(deadline.Message());
    const TRequestTarget target = TargetOf(address);
    TExchange exchange;
    exchange.Connection.reset(WinHttpConnect(FSession.get(), target.Host.c_str(), target.Port, 0));
    if (!exchange.Connection) ThrowLastError();
    exchange.Request.reset(WinHttpOpenRequest(
        exchange.Connection.get(), head ? L"HEAD" : L"GET", target.PathAndQuery.c_str(), nullptr,
        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
        (target.Secure ? WINHTTP_FLAG_SECURE : 0) | WINHTTP_FLAG_ESCAPE_DISABLE |
            WINHTTP_FLAG_ESCAPE_DISABLE_QUERY));
    if (!exchange.Request) ThrowLastError();
    HINTERNET request = exchange.Request.get();
    Configure(request, check, deadline);
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                            0, 0))
      ThrowLastError();
    ThrowIfCancelled();
    if (!WinHttpReceiveResponse(request, nullptr)) ThrowLastError();
    exchange.Response = ReadStatusAndHeaders(request);
    return exchange;
  }

  void Configure(HINTERNET request, TCertificateCheck check, const TDeadline& deadline) const {
    // No single wait may run past the end of the whole request.
    const auto remaining = deadline.Remaining();
    const int connectMs = ToTimeoutMillis(std::min(FSettings.ConnectTimeout, remaining));
    const int responseMs = ToTimeoutMillis(std::min(FSettings.ResponseTimeout, remaining));
    if (!WinHttpSetTimeouts(request, connectMs, connectMs, responseMs, responseMs))
      ThrowLastError();
    SetDwordOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, DWORD(responseMs));
    SetDwordOption(request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER);
    if (check == TCertificateCheck::Skip) {
      SetDwordOption(request, WINHTTP_OPTION_SECURITY_FLAGS, kIgnoredCertificateErrors);
      // A connection that skipped the check must not be reused by later requests, which ask again.
      SetDwordOption(request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_KEEP_ALIVE);
    }
  }

  void ReadBody(HINTERNET request, const TBodySink* sink, const TDeadline& deadline,
                THttpResponse& response) const {
    std::string buffer;
    for (;;) {
      ThrowIfCancelled();
      if (deadline.Passed()) throw EHttpError(deadline.Message());
      const auto wait = std::min(deadline.Remaining(), FSettings.ResponseTimeout);
      SetDwordOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, DWORD(ToTimeoutMillis(wait)));
      DWORD available = 0;
      if (!WinHttpQueryDataAvailable(request, &available)) ThrowLastError();
      if (available == 0) return;
      buffer.resize(std::min(available, kReadChunkBytes));
      DWORD received = 0;
      if (!WinHttpReadData(request, buffer.data(), static_cast<DWORD>(buffer.size()), &received))
        ThrowLastError();
      if (received == 0) return;
      TakeBody(std::string_view(buffer.data(), received), sink, response);
    }
  }

  void TakeBody(std::string_view chunk, const TBodySink* sink, THttpResponse& response) const {
    if (sink != nullptr) {
      if (!(*sink)(chunk)) throw EHttpError("The answer's body was refused by its receiver");
      return;
    }
    if (response.Body.size() + chunk.size() > FSettings.MaxBodyBytes)
      throw EHttpError("The answer's body is larger than " +
                       std::to_string(FSettings.MaxBodyBytes) + " bytes");
    response.Body.append(chunk);
  }

  const THttpClientSettings FSettings;
  // WinHTTP keeps cookies per session handle; all requests of the client share this one.
  const TInternetHandle FSession;
};

}  // namespace

std::unique_ptr<IHttpClient> TWinHttpClientFactory::Create(const THttpClientSettings& settings) {
  return std::make_unique<TWinHttpClient>(settings);
}
