// The Linux-side peer of the Windows HTTP tests: an HTTP and an HTTPS server (self-signed
// certificate for 127.0.0.1), a server that answers with any status line, and a port that refuses
// connections, all on 127.0.0.1. It prints their ports on one line,
//   http=<port> https=<port> raw=<port> refused=<port>
// and serves until it is sent SIGTERM or SIGINT, or its lifetime bound passes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>

#include "support/test_server.h"

using namespace std::chrono_literals;

namespace {

// Long enough for every test program that uses the peer; it must end by itself.
constexpr auto kLifetime = 10min;
// The slow and endless answers outlast every client time-out of the tests, then end.
constexpr auto kSlowAnswerDelay = 3s;
constexpr auto kEndlessBodyDuration = 3s;
constexpr auto kEndlessBodyStep = 20ms;

std::atomic<bool> sStopping = false;

void WaitFor(std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!sStopping && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
}

sockaddr_in LoopbackAddress() {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int BoundPort(int socketHandle) {
  sockaddr_in address = LoopbackAddress();
  socklen_t length = sizeof address;
  if (bind(socketHandle, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      getsockname(socketHandle, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("no loopback port");
  return ntohs(address.sin_port);
}

// A socket bound to a port but not listening: connecting to it is refused, and no other program
// can take the port while the peer runs.
class TRefusingPort {
 public:
  TRefusingPort() : FSocket(socket(AF_INET, SOCK_STREAM, 0)), FPort(BoundPort(FSocket)) {}
  ~TRefusingPort() { close(FSocket); }
  int Port() const { return FPort; }

 private:
  int FSocket;
  int FPort;
};

std::string PercentDecoded(const std::string& text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

// Answers "GET /<status line, percent-encoded>" with that status line and an empty body, for
// reason phrases the other servers cannot write.
class TRawStatusServer {
 public:
  TRawStatusServer() : FListener(socket(AF_INET, SOCK_STREAM, 0)), FPort(BoundPort(FListener)) {
    if (listen(FListener, 8) != 0) throw std::runtime_error("raw server cannot listen");
    FThread = std::thread([this] { Serve(); });
  }
  ~TRawStatusServer() {
    shutdown(FListener, SHUT_RDWR);
    FThread.join();
    close(FListener);
  }
  int Port() const { return FPort; }

 private:
  void Serve() {
    for (;;) {
      const int connection = accept(FListener, nullptr, nullptr);
      if (connection < 0) return;
      const std::string request = ReadRequestHead(connection);
      const auto pathStart = request.find(" /");
      const auto pathEnd = request.find(' ', pathStart + 2);
      std::string statusLine = "HTTP/1.1 400 Bad Request";
      if (pathStart != std::string::npos && pathEnd != std::string::npos)
        statusLine = PercentDecoded(request.substr(pathStart + 2, pathEnd - pathStart - 2));
      const std::string answer = statusLine + "\r\nContent-Length: 0\r\nX-Raw: yes\r\n\r\n";
      [[maybe_unused]] const ssize_t sent = send(connection, answer.data(), answer.size(), 0);
      close(connection);
    }
  }

  static std::string ReadRequestHead(int connection) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
      const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    return request;
  }

  int FListener;
  int FPort;
  std::thread FThread;
};

// Every request the server received, one a line: method, target, user agent and cookie,
// separated by tabs. The log's own requests are left out.
std::string RequestLog(const TTestServer& server) {
  std::string log;
  for (const auto& request : server.Requests()) {
    if (request.Path.starts_with("/log")) continue;
    log.append(request.Method).append("\t").append(request.RawTarget).append("\t");
    log.append(request.UserAgent).append("\t").append(request.Cookie).append("\n");
  }
  return log;
}

void AddEndpoints(TTestServer& peer) {
  auto& server = peer.Server();
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
  server.Get("/relative/(\\w+)", [](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    if (name == "start") return res.set_redirect("end", 302);
    res.set_content("arrived at " + name, "text/plain");
  });
  server.Get("/cookie-then-redirect", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "hop=1; Path=/");
    res.set_redirect("/echo-cookie", 302);
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
  server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    WaitFor(kSlowAnswerDelay);
    res.set_content("late", "text/plain");
  });
  server.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
    const auto end = std::chrono::steady_clock::now() + kEndlessBodyDuration;
    res.set_chunked_content_provider("text/plain", [end](size_t, httplib::DataSink& sink) {
      sink.write("x", 1);
      WaitFor(kEndlessBodyStep);
      if (sStopping || std::chrono::steady_clock::now() >= end) sink.done();
      return true;
    });
  });
  server.Get("/log", [&peer](const httplib::Request&, httplib::Response& res) {
    res.set_content(RequestLog(peer), "text/plain");
  });
  server.Get("/log/clear", [&peer](const httplib::Request&, httplib::Response& res) {
    peer.ClearRequests();
    res.set_content("cleared", "text/plain");
  });
}

extern "C" void OnStopSignal(int) {
  sStopping = true;
}

// Returns when the peer is told to stop or its lifetime bound passes; the servers' destructors
// then remove the certificate.
void WaitForTheEnd() {
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGINT, OnStopSignal);
  WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(kLifetime));
  sStopping = true;
}

}  // namespace

int main() {
  try {
    TTestServer http;
    TTestServer https(true);
    AddEndpoints(http);
    AddEndpoints(https);
    http.Start();
    https.Start();
    TRawStatusServer raw;
    TRefusingPort refused;
    std::cout << "http=" << http.Port() << " https=" << https.Port() << " raw=" << raw.Port()
              << " refused=" << refused.Port() << std::endl;
    WaitForTheEnd();
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "peer_server: " << e.what() << std::endl;
    return 1;
  }
}
