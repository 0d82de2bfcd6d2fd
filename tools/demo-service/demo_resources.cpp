#include "demo_resources.h"

namespace {

constexpr const char* kServicePlaceholder = "{service}";
constexpr int kRdpPort = 3389;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string HtmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace

std::string DeskPath(std::size_t index) {
  return "/desks/" + std::to_string(index) + ".rdp";
}

std::string PortalPath(std::size_t index) {
  return "/portal/" + std::to_string(index);
}

std::string StatusImagePath(const std::string& statusKey) {
  return "/status/" + statusKey + ".png";
}

std::string ConnectionAddress(const nlohmann::json& connection, std::size_t index,
                              const std::string& serviceUrl) {
  if (connection.contains("connurl"))
    return ReplaceAll(connection["connurl"], kServicePlaceholder, serviceUrl);
  return serviceUrl + (connection["kind"] == "web" ? PortalPath(index) : DeskPath(index));
}

std::string RdpFileFor(const nlohmann::json& connection) {
  const std::string host = connection["host"];
  const std::string lines[] = {
      "screen mode id:i:2",
      "desktopwidth:i:1920",
      "desktopheight:i:1080",
      "session bpp:i:32",
      "full address:s:" + host + ":" + std::to_string(kRdpPort),
      "prompt for credentials:i:1",
      "authentication level:i:2",
      "redirectclipboard:i:1",
  };
  std::string file;
  for (const auto& line : lines) file += line + "\r\n";
  return file;
}

std::string PortalPageFor(const nlohmann::json& connection) {
  const std::string name = HtmlEscaped(connection["displayname"]);
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + name +
         "</title></head>\n<body><h1>" + name +
         "</h1><p>This page stands in for the web portal of this connection.</p></body></html>\n";
}
