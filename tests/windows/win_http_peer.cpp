#include "win_http_peer.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "win_http_client.h"

namespace {

TPeer ReadPeer() {
  const char* line = std::getenv("VOSTREL_PEER");
  if (line == nullptr) throw std::runtime_error("VOSTREL_PEER is not set: start the peer server");
  TPeer peer;
  std::istringstream words(line);
  std::string word;
  while (words >> word) {
    const auto equals = word.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = word.substr(0, equals);
    const int port = std::stoi(word.substr(equals + 1));
    if (name == "http") peer.Http = port;
    if (name == "https") peer.Https = port;
    if (name == "raw") peer.Raw = port;
    if (name == "refused") peer.Refused = port;
  }
  if (peer.Http == 0 || peer.Https == 0 || peer.Raw == 0 || peer.Refused == 0)
    throw std::runtime_error(std::string("VOSTREL_PEER is incomplete: ") + line);
  return peer;
}

std::string Loopback(const char* scheme, int port, const std::string& path) {
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
}

std::string PercentEncoded(const std::string& text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= 'a' && byte <= 'z') || byte == '.' || byte == '/') {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 0x0F];
    }
  }
  return encoded;
}

// The log is read with a client of its own, which accepts the peer's certificate.
THttpResponse AskPeer(bool https, const std::string& path) {
  THttpClientSettings settings;
  settings.OnInvalidCertificate = [](bool& accepted) { accepted = true; };
  const TPeer& peer = TPeer::Get();
  const std::string url = https ? peer.HttpsUrl(path) : peer.HttpUrl(path);
  const THttpResponse answer = TWinHttpClientFactory().Create(settings)->Get(url);
  if (answer.StatusCode != 200) throw std::runtime_error("the peer did not answer " + url);
  return answer;
}

std::vector<std::string> SplitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const auto end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

const TPeer& TPeer::Get() {
  static const TPeer peer = ReadPeer();
  return peer;
}

std::string TPeer::HttpUrl(const std::string& path) const {
  return Loopback("http", Http, path);
}

std::string TPeer::HttpsUrl(const std::string& path) const {
  return Loopback("https", Https, path);
}

std::string TPeer::RawUrl(const std::string& statusLine) const {
  return Loopback("http", Raw, "/" + PercentEncoded(statusLine));
}

std::string TPeer::RefusedUrl() const {
  return Loopback("http", Refused, "/");
}

std::vector<TPeerRequest> PeerRequests(bool https) {
  std::vector<TPeerRequest> requests;
  for (const std::string& line : SplitAt(AskPeer(https, "/log").Body, '\n')) {
    const auto fields = SplitAt(line, '\t');
    if (fields.size() == 4) requests.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  return requests;
}

void ClearPeerRequests(bool https) {
  AskPeer(https, "/log/clear");
}
