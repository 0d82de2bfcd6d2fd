#include "query_answer.h"

#include "demo_resources.h"
#include "demo_status.h"

using nlohmann::ordered_json;

namespace {

constexpr int kHttpOk = 200;
constexpr int kHttpNotAcceptable = 406;

ordered_json StatusObject(const std::string& key, const std::string& serviceUrl) {
  const TDemoStatus status = *DemoStatusByKey(key);
  return {{"id", status.Id},
          {"name", status.Name},
          {"imageurl", serviceUrl + StatusImagePath(status.Key)}};
}

ordered_json ConnectionObject(const nlohmann::json& c, std::size_t index,
                              const std::string& serviceUrl) {
  return {{"zone", c["zone"]},
          {"displayname", c["displayname"]},
          {"connidentifier", c["connidentifier"]},
          {"statusdetail", c["statusdetail"]},
          {"connurl", ConnectionAddress(c, index, serviceUrl)},
          {"blocklaunch", c["blocklaunch"]},
          {"status", StatusObject(c["status"], serviceUrl)}};
}

ordered_json ConnectInfo(const nlohmann::json& answer, const std::string& serviceUrl) {
  ordered_json statusDefs = ordered_json::array();
  for (const auto& status : DemoStatuses())
    statusDefs.push_back(StatusObject(status.Key, serviceUrl));
  ordered_json connections = ordered_json::array();
  for (std::size_t i = 0; i < answer["connections"].size(); ++i)
    connections.push_back(ConnectionObject(answer["connections"][i], i, serviceUrl));
  return {{"statusdetail", answer["statusdetail"]},
          {"blocklaunch", answer["blocklaunch"]},
          {"activeconn", answer["activeconn"]},
          {"usemulticonn", answer["usemulticonn"]},
          {"statusfailid", answer["statusfailid"]},
          {"statusokid", answer["statusokid"]},
          {"paramsfatal", answer["paramsfatal"]},
          {"paramsreject", answer["paramsreject"]},
          {"status", StatusObject(answer["status"], serviceUrl)},
          {"statusdefs", statusDefs},
          {"connections", connections},
          {"connpriority", answer["connpriority"]},
          {"messages", answer["messages"]}};
}

}  // namespace

TQueryAnswer BuildQueryAnswer(const nlohmann::json& answer, const std::string& serviceUrl) {
  TQueryAnswer result;
  result.Status = answer["httpstatus"];
  if (result.Status == kHttpOk || result.Status == kHttpNotAcceptable) {
    result.ContentType = "application/json";
    result.Body = ordered_json{{"QXConnectInfo", ConnectInfo(answer, serviceUrl)}}.dump(2) + "\n";
  } else {
    result.ContentType = "text/plain";
    result.Body = "The connection query service answers " + std::to_string(result.Status) + ".\n";
  }
  return result;
}
