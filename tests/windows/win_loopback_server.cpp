#include "win_loopback_server.h"

#include <ws2tcpip.h>

#include <stdexcept>

namespace {

constexpr size_t kMaxRequestHead = 64 * 1024;
constexpr DWORD kReceiveTimeoutMillis = 5000;

const char* ReasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    default:
      return "Status";
  }
}

void SendAll(SOCKET client, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const int n = send(client, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

TWinLoopbackServer::TWinLoopbackServer() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
  FListener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (FListener == INVALID_SOCKET ||
      bind(FListener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(FListener, SOMAXCONN) != 0)
    throw std::runtime_error("The loopback server could not listen");
  int length = sizeof(address);
  getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &length);
  FPort = ntohs(address.sin_port);
  FThread = std::thread([this] { Serve(); });
}

TWinLoopbackServer::~TWinLoopbackServer() {
  FStopping = true;
  closesocket(FListener);  // ends the accept
  FThread.join();
  WSACleanup();
}

void TWinLoopbackServer::SetAnswer(const std::string& path, TAnswer answer) {
  std::lock_guard lock(FMutex);
  FAnswers[path] = std::move(answer);
}

std::string TWinLoopbackServer::BaseUrl() const {
  return "http://127.0.0.1:" + std::to_string(FPort);
}

std::vector<std::string> TWinLoopbackServer::Requests() const {
  std::lock_guard lock(FMutex);
  return FRequests;
}

void TWinLoopbackServer::Serve() {
  while (!FStopping) {
    const SOCKET client = accept(FListener, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    // One at a time is enough; the client's other requests wait in the backlog.
    Answer(client);
    closesocket(client);
  }
}

void TWinLoopbackServer::Answer(SOCKET client) {
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&kReceiveTimeoutMillis),
             sizeof(kReceiveTimeoutMillis));
  std::string head;
  char buffer[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead) {
    const int n = recv(client, buffer, sizeof(buffer), 0);
    if (n <= 0) return;
    head.append(buffer, static_cast<size_t>(n));
  }
  const size_t methodEnd = head.find(' ');
  const size_t targetEnd = head.find(' ', methodEnd + 1);
  if (methodEnd == std::string::npos || targetEnd == std::string::npos) return;
  const std::string method = head.substr(0, methodEnd);
  const std::string target = head.substr(methodEnd + 1, targetEnd - methodEnd - 1);
  const std::string path = target.substr(0, target.find('?'));
  TAnswer answer{404, "text/plain", "no answer for " + path};
  {
    std::lock_guard lock(FMutex);
    FRequests.push_back(method + " " + target);
    if (auto found = FAnswers.find(path); found != FAnswers.end()) answer = found->second;
  }
  std::string response = "HTTP/1.1 " + std::to_string(answer.Status) + " " +
                         ReasonOf(answer.Status) + "\r\nContent-Type: " + answer.ContentType +
                         "\r\nContent-Length: " + std::to_string(answer.Body.size()) +
                         "\r\nConnection: close\r\n\r\n";
  if (method != "HEAD") response += answer.Body;
  SendAll(client, response);
  shutdown(client, SD_SEND);
}
