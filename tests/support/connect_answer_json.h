#pragma once

#include <nlohmann/json.hpp>
#include <string>

// Answers of the connection query service for tests: a healthy answer with one connection that
// tests change member by member.
namespace testanswer {

inline nlohmann::json Status(int id, const std::string& name, const std::string& imageUrl = "") {
  return {{"id", id}, {"name", name}, {"imageurl", imageUrl}};
}

inline nlohmann::json Connection(const std::string& name, const std::string& url, int statusId = 1,
                                 bool blocked = false, const std::string& imageUrl = "") {
  return {{"zone", "eu-1"},
          {"displayname", name},
          {"connidentifier", "id-" + name},
          {"statusdetail", ""},
          {"connurl", url},
          {"blocklaunch", blocked},
          {"status", Status(statusId, statusId <= 1 ? "OK" : "Degraded", imageUrl)}};
}

// "statusokid" 1 and "statusfailid" 5: status 1 is ok, 2 to 4 are neither, 5 and above fail.
inline nlohmann::json Healthy(const std::string& connUrl = "http://127.0.0.1:1/c.rdp") {
  nlohmann::json info = {{"statusdetail", "All systems operational"},
                         {"blocklaunch", false},
                         {"activeconn", 0},
                         {"usemulticonn", false},
                         {"statusfailid", 5},
                         {"statusokid", 1},
                         {"paramsfatal", 0},
                         {"paramsreject", 0},
                         {"status", Status(1, "OK")},
                         {"statusdefs", nlohmann::json::array({Status(1, "OK"), Status(3, "Degraded"),
                                                               Status(5, "Down")})},
                         {"connections", nlohmann::json::array({Connection("Main Office", connUrl)})},
                         {"connpriority", nlohmann::json::array({0})},
                         {"messages", nlohmann::json::array()}};
  return {{"QXConnectInfo", info}};
}

}  // namespace testanswer
