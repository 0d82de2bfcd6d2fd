#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 and a free port, for Windows test programs: it answers
// each GET with the answer set for the request's path (the query does not count) and closes the
// connection; a path without an answer gets 404. Every request's path and query is recorded.
class TWinLoopbackServer {
 public:
  struct TAnswer {
    int Status = 200;
    std::string ContentType = "text/plain";
    std::string Body;
  };

  TWinLoopbackServer();
  ~TWinLoopbackServer();
  TWinLoopbackServer(const TWinLoopbackServer&) = delete;
  TWinLoopbackServer& operator=(const TWinLoopbackServer&) = delete;

  void SetAnswer(const std::string& path, TAnswer answer);
  std::string BaseUrl() const;  // e.g. "http://127.0.0.1:41234"
  std::vector<std::string> Requests() const;

 private:
  void Serve();
  void Answer(SOCKET client);

  SOCKET FListener = INVALID_SOCKET;
  int FPort = 0;
  std::atomic<bool> FStopping{false};
  mutable std::mutex FMutex;
  std::map<std::string, TAnswer> FAnswers;
  std::vector<std::string> FRequests;
  std::thread FThread;
};
