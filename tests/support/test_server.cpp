#include "support/test_server.h"

#include <cstdlib>
#include <chrono>
#include <stdexcept>

TTestCertificate::TTestCertificate() {
  CertFile = Dir.File("cert.pem");
  KeyFile = Dir.File("key.pem");
  const std::string command =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
      " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
      KeyFile + "' -out '" + CertFile + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl could not make a certificate");
}

TTestServer::TTestServer(bool https) : FHttps(https) {
  if (https) {
    FCert = std::make_unique<TTestCertificate>();
    FServer = std::make_unique<httplib::SSLServer>(FCert->CertFile.c_str(), FCert->KeyFile.c_str());
  } else {
    FServer = std::make_unique<httplib::Server>();
  }
  FServer->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    TRequest r{req.method, req.path, req.target, req.get_header_value("User-Agent"),
               req.get_header_value("Cookie"), req.params};
    std::lock_guard lock(FMutex);
    FRequests.push_back(r);
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

TTestServer::~TTestServer() { Stop(); }

void TTestServer::Start() {
  FPort = FServer->bind_to_any_port("127.0.0.1");
  if (FPort <= 0) throw std::runtime_error("test server cannot bind");
  FThread = std::thread([this] { FServer->listen_after_bind(); });
  while (!FServer->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void TTestServer::Stop() {
  if (FThread.joinable()) {
    FServer->stop();
    FThread.join();
  }
}

std::string TTestServer::BaseUrl() const {
  return std::string(FHttps ? "https" : "http") + "://127.0.0.1:" + std::to_string(FPort);
}

std::vector<TTestServer::TRequest> TTestServer::Requests() const {
  std::lock_guard lock(FMutex);
  return FRequests;
}

void TTestServer::ClearRequests() {
  std::lock_guard lock(FMutex);
  FRequests.clear();
}
