#include "demo_service.h"

#include <functional>

#include "demo_resources.h"
#include "demo_status.h"
#include "query_answer.h"

namespace {

constexpr int kHttpNotFound = 404;

void NotFound(httplib::Response& response) {
  response.status = kHttpNotFound;
  response.set_content("Not found.\n", "text/plain");
}

}  // namespace

TDemoService::TDemoService(TScenario scenario, std::ostream& log)
    : FScenario(std::move(scenario)), FLog(log) {
  for (const auto& status : DemoStatuses()) FBanners[status.Key] = StatusBannerPng(status);
}

void TDemoService::Mount(httplib::Server& server, const std::string& serviceUrl) {
  FServiceUrl = serviceUrl;
  using namespace std::placeholders;
  server.Get(kQueryPath, std::bind(&TDemoService::AnswerQuery, this, _1, _2));
  server.Get(kDeskPattern, std::bind(&TDemoService::ServeDesk, this, _1, _2));
  server.Get(kPortalPattern, std::bind(&TDemoService::ServePortal, this, _1, _2));
  server.Get(kStatusImagePattern, std::bind(&TDemoService::ServeStatusImage, this, _1, _2));
  server.set_logger(std::bind(&TDemoService::Log, this, _1, _2));
}

void TDemoService::AnswerQuery(const httplib::Request& request, httplib::Response& response) const {
  const bool accepted =
      !FScenario.Rejected || FScenario.Gate->Accepts(request.get_param_value("accountnum"));
  const TQueryAnswer answer =
      BuildQueryAnswer(accepted ? FScenario.Accepted : *FScenario.Rejected, FServiceUrl);
  response.status = answer.Status;
  response.set_content(answer.Body, answer.ContentType.c_str());
}

// The connection that the path's index names, when it is of the kind the route serves.
const nlohmann::json* TDemoService::ConnectionOfKind(const httplib::Request& request,
                                                     const std::string& kind) const {
  const std::size_t index = std::stoul(request.matches[1].str());
  const nlohmann::json& connections = FScenario.Accepted["connections"];
  if (index >= connections.size() || connections[index]["kind"] != kind) return nullptr;
  return &connections[index];
}

void TDemoService::ServeDesk(const httplib::Request& request, httplib::Response& response) const {
  if (const auto* connection = ConnectionOfKind(request, "rdp"))
    response.set_content(RdpFileFor(*connection), "application/x-rdp");
  else
    NotFound(response);
}

void TDemoService::ServePortal(const httplib::Request& request, httplib::Response& response) const {
  if (const auto* connection = ConnectionOfKind(request, "web"))
    response.set_content(PortalPageFor(*connection), "text/html; charset=utf-8");
  else
    NotFound(response);
}

void TDemoService::ServeStatusImage(const httplib::Request& request,
                                    httplib::Response& response) const {
  const auto banner = FBanners.find(request.matches[1].str());
  if (banner != FBanners.end())
    response.set_content(banner->second, "image/png");
  else
    NotFound(response);
}

void TDemoService::Log(const httplib::Request& request, const httplib::Response& response) {
  const std::lock_guard lock(FLogMutex);
  FLog << request.method << ' ' << request.target << " \"" << request.get_header_value("User-Agent")
       << "\" " << response.status << std::endl;
}
