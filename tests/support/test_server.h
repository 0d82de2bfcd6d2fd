#pragma once

#include <httplib.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

// A self-signed certificate for 127.0.0.1, made with the openssl tool for this test run.
struct TTestCertificate {
  TTempDir Dir;
  std::string CertFile;
  std::string KeyFile;
  TTestCertificate();
};

// A real HTTP or HTTPS server on 127.0.0.1 and a free port, running on its own thread.
// Register handlers on Server() before Start(); every request it receives is recorded.
class TTestServer {
 public:
  struct TRequest {
    std::string Method;
    std::string Path;        // without the query
    std::string RawTarget;   // path and query exactly as sent
    std::string UserAgent;
    std::string Cookie;
    httplib::Params Params;  // decoded; RawTarget keeps the order
  };

  explicit TTestServer(bool https = false);
  ~TTestServer();

  httplib::Server& Server() { return *FServer; }
  void Start();
  void Stop();

  int Port() const { return FPort; }
  std::string BaseUrl() const;  // e.g. "http://127.0.0.1:41234"
  std::vector<TRequest> Requests() const;
  void ClearRequests();

 private:
  std::unique_ptr<TTestCertificate> FCert;
  std::unique_ptr<httplib::Server> FServer;
  std::thread FThread;
  int FPort = 0;
  bool FHttps = false;
  mutable std::mutex FMutex;
  std::vector<TRequest> FRequests;
};
