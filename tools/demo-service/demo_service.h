#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <ostream>
#include <string>

#include "scenario.h"

// The connection query service as the scenario plays it, with the desk files, portal pages and
// status images its answers point to. Every request is logged as one line: method, path with
// query, user agent and the status answered.
class TDemoService {
 public:
  TDemoService(TScenario scenario, std::ostream& log);

  // Registers the routes and the request log; the answers' addresses point at `serviceUrl`.
  void Mount(httplib::Server& server, const std::string& serviceUrl);

 private:
  void AnswerQuery(const httplib::Request& request, httplib::Response& response) const;
  void ServeDesk(const httplib::Request& request, httplib::Response& response) const;
  void ServePortal(const httplib::Request& request, httplib::Response& response) const;
  void ServeStatusImage(const httplib::Request& request, httplib::Response& response) const;
  const nlohmann::json* ConnectionOfKind(const httplib::Request& request,
                                         const std::string& kind) const;
  void Log(const httplib::Request& request, const httplib::Response& response);

  TScenario FScenario;
  std::ostream& FLog;
  std::mutex FLogMutex;
  std::string FServiceUrl;
  std::map<std::string, std::string> FBanners;  // PNG files by status key
};
