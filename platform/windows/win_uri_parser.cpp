#include "win_uri_parser.h"

// clang-format off
#include <windows.h>
#include <winhttp.h>
// clang-format on

#include <optional>
#include <string_view>

#include "win_text.h"

namespace {

constexpr unsigned kMaxPort = 65535;

// Built by appending: GCC 12 warns falsely about chains of + on literals here.
[[noreturn]] void ThrowParseError(const std::string& text, const std::string& reason) {
  std::string message = "'";
  message.append(text).append("' ").append(reason);
  throw EURIParseError(message);
}

// No address may hold white space or control characters; a NUL would also end the text early for
// WinHTTP, which would then judge only its first part.
bool HasForbiddenCharacter(const std::string& text) {
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte <= 0x20 || byte == 0x7F) return true;
  }
  return false;
}

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9');
}

bool IsHexDigit(wchar_t c) {
  return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f');
}

// A host name: letters, digits, "-", ".", "_", "~" and international characters.
bool IsValidHostName(std::wstring_view host) {
  if (host.empty()) return false;
  for (const wchar_t c : host)
    if (!IsAsciiAlnum(c) && c != L'-' && c != L'.' && c != L'_' && c != L'~' && c < 0x80)
      return false;
  return true;
}

// "[" IPv6 address "]", the address written with hex digits, ":" and "." only.
bool IsValidAddressLiteral(std::wstring_view host) {
  if (host.size() < 4 || host.front() != L'[' || host.back() != L']') return false;
  const std::wstring_view address = host.substr(1, host.size() - 2);
  if (address.find(L':') == std::wstring_view::npos) return false;
  for (const wchar_t c : address)
    if (!IsHexDigit(c) && c != L':' && c != L'.') return false;
  return true;
}

// The host and port as written between "//" and the path. WinHTTP accepts hosts that no request can
// reach (empty ones, ones with spaces) and not every version of it reads IPv6 literals, so the
// authority is checked here as well.
struct TAuthority {
  std::wstring Host;
  std::optional<unsigned> Port;  // none when the address names no port
};

std::optional<TAuthority> ReadAuthority(std::wstring_view authority) {
  if (const auto at = authority.rfind(L'@'); at != std::wstring_view::npos)
    authority.remove_prefix(at + 1);
  TAuthority result;
  std::wstring_view portText;
  bool hasPort = false;
  if (!authority.empty() && authority.front() == L'[') {
    const auto close = authority.find(L']');
    if (close == std::wstring_view::npos) return std::nullopt;
    result.Host = authority.substr(0, close + 1);
    if (!IsValidAddressLiteral(result.Host)) return std::nullopt;
    const std::wstring_view rest = authority.substr(close + 1);
    if (!rest.empty() && rest.front() != L':') return std::nullopt;
    hasPort = !rest.empty();
    if (hasPort) portText = rest.substr(1);
  } else {
    const auto colon = authority.find(L':');
    result.Host = authority.substr(0, colon);
    if (!IsValidHostName(result.Host)) return std::nullopt;
    hasPort = colon != std::wstring_view::npos;
    if (hasPort) portText = authority.substr(colon + 1);
  }
  if (portText.size() > 5) return std::nullopt;
  unsigned port = 0;
  for (const wchar_t c : portText) {
    if (c < L'0' || c > L'9') return std::nullopt;
    port = port * 10 + static_cast<unsigned>(c - L'0');
  }
  if (port > kMaxPort) return std::nullopt;
  if (hasPort && !portText.empty()) result.Port = port;  // "host:" names the default port
  return result;
}

std::wstring ComponentText(const wchar_t* text, DWORD length) {
  return text == nullptr ? std::wstring() : std::wstring(text, length);
}

// What WinHttpCrackUrl found, copied out of the text it pointed into.
struct TCrackedAddress {
  INTERNET_SCHEME Scheme = 0;
  std::wstring UserName, Password, Host, Path, ExtraInfo;
  bool HasPassword = false;
  INTERNET_PORT Port = 0;
};

std::optional<TCrackedAddress> Crack(const std::wstring& address) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  // Lengths of -1 without buffers ask for pointers into the address.
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
      parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
  if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts))
    return std::nullopt;
  TCrackedAddress cracked;
  cracked.Scheme = parts.nScheme;
  cracked.UserName = ComponentText(parts.lpszUserName, parts.dwUserNameLength);
  cracked.Password = ComponentText(parts.lpszPassword, parts.dwPasswordLength);
  cracked.HasPassword = parts.lpszPassword != nullptr && parts.dwPasswordLength > 0;
  cracked.Host = ComponentText(parts.lpszHostName, parts.dwHostNameLength);
  cracked.Port = parts.nPort;
  cracked.Path = ComponentText(parts.lpszUrlPath, parts.dwUrlPathLength);
  cracked.ExtraInfo = ComponentText(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  return cracked;
}

// Every component is passed as its own terminated string: WinHTTP reads a length of 0 as "up to
// the terminator", so a pointer into a longer text would take the rest of it along.
std::optional<std::wstring> CreateUrl(const TCrackedAddress& parts, const std::wstring& extraInfo) {
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof components;
  components.nScheme = parts.Scheme;
  auto set = [](const std::wstring& value, LPWSTR& text, DWORD& length) {
    if (value.empty()) return;
    text = const_cast<LPWSTR>(value.c_str());
    length = static_cast<DWORD>(value.size());
  };
  set(parts.UserName, components.lpszUserName, components.dwUserNameLength);
  if (!parts.UserName.empty() && parts.HasPassword)
    set(parts.Password, components.lpszPassword, components.dwPasswordLength);
  set(parts.Host, components.lpszHostName, components.dwHostNameLength);
  components.nPort = parts.Port;
  set(parts.Path, components.lpszUrlPath, components.dwUrlPathLength);
  set(extraInfo, components.lpszExtraInfo, components.dwExtraInfoLength);

  DWORD length = 0;
  wchar_t probe[1] = {};
  if (WinHttpCreateUrl(&components, 0, probe, &length) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return std::nullopt;
  std::wstring url(length, L'\0');
  if (!WinHttpCreateUrl(&components, 0, url.data(), &length)) return std::nullopt;
  url.resize(length);
  return url;
}

}  // namespace

TURI TWinURIParser::Parse(const std::string& text) {
  if (text.empty() || HasForbiddenCharacter(text)) ThrowParseError(text, "is not a valid address");
  std::wstring address = ToWide(text);

  // The fragment stays on this side: split it off so that it cannot be read as part of a path.
  std::wstring fragment;
  if (const auto hash = address.find(L'#'); hash != std::wstring::npos) {
    fragment = address.substr(hash);
    address.resize(hash);
  }
  const auto authorityStart = address.find(L"://");
  if (authorityStart == std::wstring::npos) ThrowParseError(text, "is not a valid address");
  const auto hostStart = authorityStart + 3;
  auto authorityEnd = address.find_first_of(L"/?", hostStart);
  // An empty path is "/" for http; saying so keeps the query from being read as part of the host.
  if (authorityEnd != std::wstring::npos && address[authorityEnd] == L'?')
    address.insert(authorityEnd, 1, L'/');
  if (authorityEnd == std::wstring::npos) authorityEnd = address.size();
  const auto authority =
      ReadAuthority(std::wstring_view(address).substr(hostStart, authorityEnd - hostStart));

  auto cracked = Crack(address);
  if (!cracked) ThrowParseError(text, "is not a valid address");
  if (cracked->Scheme != INTERNET_SCHEME_HTTP && cracked->Scheme != INTERNET_SCHEME_HTTPS)
    ThrowParseError(text, "is not a http or https address");
  if (!authority) ThrowParseError(text, "names no valid host");
  const INTERNET_PORT defaultPort = cracked->Scheme == INTERNET_SCHEME_HTTPS
                                        ? INTERNET_DEFAULT_HTTPS_PORT
                                        : INTERNET_DEFAULT_HTTP_PORT;
  const auto port = static_cast<INTERNET_PORT>(authority->Port.value_or(defaultPort));
  // WinHTTP reads an IPv6 literal's colons as the port's; elsewhere both readings must agree.
  if (authority->Host.front() != L'[' &&
      (cracked->Host != authority->Host || cracked->Port != port))
    ThrowParseError(text, "is not a valid address");
  cracked->Host = authority->Host;
  cracked->Port = port;
  if (cracked->Path.empty()) cracked->Path = L"/";

  TURI result;
  result.Scheme = cracked->Scheme == INTERNET_SCHEME_HTTPS ? "https" : "http";
  result.Host = FromWide(cracked->Host);
  result.Port = cracked->Port;
  result.Path = FromWide(cracked->Path);
  if (!cracked->ExtraInfo.empty() && cracked->ExtraInfo.front() == L'?')
    result.Query = FromWide(std::wstring_view(cracked->ExtraInfo).substr(1));
  const std::wstring extraInfo =
      (result.Query.empty() ? L"" : L"?" + ToWide(result.Query)) + fragment;
  const auto written = CreateUrl(*cracked, extraInfo);
  if (!written) ThrowParseError(text, "cannot be written back as an address");
  result.Text = FromWide(*written);
  return result;
}

std::string TWinURIParser::EncodeQueryComponent(const std::string& text) {
  return PercentEncodeQueryComponent(text);
}
