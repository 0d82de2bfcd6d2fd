#include "curl_uri_parser.h"

#include <curl/curl.h>

#include <memory>
#include <new>
#include <optional>

#include "curl_global.h"

namespace {

using TUrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// Built by appending: GCC 12 warns falsely about chains of + on literals here.
[[noreturn]] void ThrowParseError(const std::string& text, const std::string& reason) {
  std::string message = "'";
  message.append(text).append("' ").append(reason);
  throw EURIParseError(message);
}

// The part, or nothing when the address has none of it.
std::optional<std::string> GetPart(CURLU* url, CURLUPart part, unsigned int flags = 0) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, flags) != CURLUE_OK || value == nullptr) return std::nullopt;
  std::string result(value);
  curl_free(value);
  return result;
}

std::string ToLowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

TURI TCurlURIParser::Parse(const std::string& text) {
  // A NUL would end the text early for curl, which would then judge only its first part.
  if (text.empty() || text.find('\0') != std::string::npos)
    ThrowParseError(text, "is not a valid address");
  EnsureCurlGlobalInit();
  TUrlHandle url(curl_url(), &curl_url_cleanup);
  if (!url) throw std::bad_alloc();
  if (const CURLUcode code = curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0);
      code != CURLUE_OK)
    ThrowParseError(text, std::string("is not a valid address: ") + curl_url_strerror(code));

  TURI result;
  result.Scheme = ToLowerAscii(GetPart(url.get(), CURLUPART_SCHEME).value_or(""));
  if (result.Scheme != "http" && result.Scheme != "https")
    ThrowParseError(text, "is not a http or https address");
  result.Host = GetPart(url.get(), CURLUPART_HOST).value_or("");
  if (result.Host.empty()) ThrowParseError(text, "names no host");
  const std::string port = GetPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT).value_or("");
  result.Port = port.empty() ? (result.Scheme == "https" ? 443 : 80) : std::stoi(port);
  result.Path = GetPart(url.get(), CURLUPART_PATH).value_or("");
  if (result.Path.empty()) result.Path.push_back('/');
  result.Query = GetPart(url.get(), CURLUPART_QUERY).value_or("");
  result.Text = GetPart(url.get(), CURLUPART_URL).value_or(text);
  return result;
}

std::string TCurlURIParser::EncodeQueryComponent(const std::string& text) {
  return PercentEncodeQueryComponent(text);
}
