#include "scenario.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "demo_status.h"

using nlohmann::json;

namespace {

constexpr std::uintmax_t kMaxScenarioFileBytes = 1024 * 1024;
constexpr const char* kSecondSeen = "second";

// The built-in scenarios, written as scenario files are.
const std::vector<std::pair<std::string, std::string>>& BuiltIns() {
  static const std::vector<std::pair<std::string, std::string>> builtIns = {
      {"healthy", R"({
        "description": "One healthy desk; without -g it is launched at once",
        "connections": [{"displayname": "Main Office", "statusdetail": "Ready"}]})"},
      {"multi", R"({
        "description": "Three connections with mixed statuses, shown in an order of their own",
        "statusdetail": "One desk is down for maintenance",
        "usemulticonn": true,
        "connpriority": [1, 0, 2],
        "connections": [
          {"displayname": "Main Office", "status": "ok", "statusdetail": "Ready"},
          {"displayname": "Customer Portal", "kind": "web", "status": "degraded",
           "statusdetail": "Slow responses"},
          {"displayname": "Archive Desk", "zone": "eu-north", "status": "down",
           "statusdetail": "Down for maintenance"}]})"},
      {"blocked", R"({
        "description": "The environment blocks every launch",
        "statusdetail": "Launching is paused while the environment is updated",
        "blocklaunch": true,
        "connections": [{"displayname": "Main Office", "statusdetail": "Ready"}]})"},
      {"failing", R"({
        "description": "The active connection's status has failed",
        "status": "down",
        "statusdetail": "The hosted environment is down",
        "connections": [{"displayname": "Main Office", "status": "down",
                         "statusdetail": "Not reachable"}]})"},
      {"username-rejected", R"({
        "description": "The user name is rejected, not fatally, with two messages",
        "paramsreject": 2,
        "messages": ["The user name is not known for this account.",
                     "The session starts without it."],
        "connections": [{"displayname": "Main Office", "statusdetail": "Ready"}]})"},
      {"account-rejected", R"({
        "description": "The first account number is rejected fatally; the next one is accepted",
        "connections": [{"displayname": "Main Office", "statusdetail": "Ready"}],
        "accounts": {
          "accept": "second",
          "rejected": {"httpstatus": 406, "paramsreject": 1, "paramsfatal": 1, "activeconn": -1,
                       "statusdetail": "Unknown account",
                       "messages": ["The account number is not known."]}}})"},
      {"not-found", R"({"description": "The query address is not found", "httpstatus": 404})"},
      {"bad-request", R"({"description": "The query is refused as a bad request",
                          "httpstatus": 400})"},
  };
  return builtIns;
}

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw std::runtime_error(where + ": " + what);
}

enum class TKind { Text, Boolean, Integer, Texts, Integers, Status, ConnKind, Connections };

struct TMember {
  const char* Key;
  TKind Kind;
  json Default;  // null: no default (required, or filled in from other members)
};

const std::vector<TMember>& AnswerMembers() {
  static const std::vector<TMember> members = {
      {"description", TKind::Text, ""},
      {"httpstatus", TKind::Integer, 200},
      {"status", TKind::Status, "ok"},
      {"statusdetail", TKind::Text, "All systems operational"},
      {"blocklaunch", TKind::Boolean, false},
      {"usemulticonn", TKind::Boolean, false},
      {"activeconn", TKind::Integer, 0},
      {"statusokid", TKind::Integer, kDemoStatusOkId},
      {"statusfailid", TKind::Integer, kDemoStatusFailId},
      {"paramsreject", TKind::Integer, 0},
      {"paramsfatal", TKind::Integer, 0},
      {"messages", TKind::Texts, json::array()},
      {"connpriority", TKind::Integers, nullptr},
      {"connections", TKind::Connections, json::array()},
  };
  return members;
}

const std::vector<TMember>& ConnectionMembers() {
  static const std::vector<TMember> members = {
      {"displayname", TKind::Text, nullptr},    {"kind", TKind::ConnKind, "rdp"},
      {"status", TKind::Status, "ok"},          {"zone", TKind::Text, "eu-west"},
      {"connidentifier", TKind::Text, nullptr}, {"statusdetail", TKind::Text, ""},
      {"blocklaunch", TKind::Boolean, false},   {"host", TKind::Text, nullptr},
      {"connurl", TKind::Text, nullptr},
  };
  return members;
}

bool IsInt(const json& value) {
  return value.is_number_integer() && value.get<long long>() >= INT_MIN &&
         value.get<long long>() <= INT_MAX;
}

bool AllOf(const json& value, bool (*test)(const json&)) {
  return value.is_array() && std::all_of(value.begin(), value.end(), test);
}

// "Main Office" gives "main-office".
std::string Slug(const std::string& text) {
  std::string slug;
  for (unsigned char c : text) {
    if (std::isalnum(c))
      slug.push_back(char(std::tolower(c)));
    else if (!slug.empty() && slug.back() != '-')
      slug.push_back('-');
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug.empty() ? "desk" : slug;
}

json Checked(const json& object, const std::vector<TMember>& members, const std::string& where);

void CheckValue(const json& value, TKind kind, const std::string& where) {
  switch (kind) {
    case TKind::Text:
      if (!value.is_string()) Fail(where, "expected a text");
      return;
    case TKind::Boolean:
      if (!value.is_boolean()) Fail(where, "expected true or false");
      return;
    case TKind::Integer:
      if (!IsInt(value)) Fail(where, "expected a whole number");
      return;
    case TKind::Texts:
      if (!AllOf(value, [](const json& v) { return v.is_string(); }))
        Fail(where, "expected an array of texts");
      return;
    case TKind::Integers:
      if (!AllOf(value, IsInt)) Fail(where, "expected an array of whole numbers");
      return;
    case TKind::Status:
      if (!value.is_string() || !DemoStatusByKey(value.get<std::string>()))
        Fail(where, "expected \"ok\", \"degraded\" or \"down\"");
      return;
    case TKind::ConnKind:
      if (value != "rdp" && value != "web") Fail(where, "expected \"rdp\" or \"web\"");
      return;
    case TKind::Connections:
      if (!value.is_array()) Fail(where, "expected an array of connections");
      return;
  }
}

json CheckedConnections(const json& connections, const std::string& where) {
  json checked = json::array();
  for (std::size_t i = 0; i < connections.size(); ++i) {
    const std::string at = where + "[" + std::to_string(i) + "]";
    json c = Checked(connections[i], ConnectionMembers(), at);
    if (!c.contains("displayname")) Fail(at, "\"displayname\" is missing");
    const std::string name = c["displayname"];
    if (!c.contains("connidentifier")) c["connidentifier"] = "conn-" + std::to_string(i + 1);
    if (!c.contains("host")) c["host"] = Slug(name) + ".desk.example";
    checked.push_back(std::move(c));
  }
  return checked;
}

json Checked(const json& object, const std::vector<TMember>& members, const std::string& where) {
  if (!object.is_object()) Fail(where, "expected an object");
  json checked = json::object();
  for (const auto& [key, value] : object.items()) {
    const auto member = std::find_if(members.begin(), members.end(),
                                     [&](const TMember& m) { return key == m.Key; });
    if (member == members.end()) Fail(where, "unknown member \"" + key + "\"");
    const std::string at = where + "." + key;
    CheckValue(value, member->Kind, at);
    checked[key] = member->Kind == TKind::Connections ? CheckedConnections(value, at) : value;
  }
  for (const auto& member : members)
    if (!checked.contains(member.Key) && !member.Default.is_null())
      checked[member.Key] = member.Default;
  return checked;
}

json CheckedAnswer(const json& object, const std::string& where) {
  json answer = Checked(object, AnswerMembers(), where);
  const int status = answer["httpstatus"];
  if (status < 100 || status > 599) Fail(where + ".httpstatus", "expected an HTTP status");
  if (!answer.contains("connpriority")) {
    answer["connpriority"] = json::array();
    for (std::size_t i = 0; i < answer["connections"].size(); ++i)
      answer["connpriority"].push_back(i);
  }
  return answer;
}

// The answer for rejected account numbers: the accepted one with the given top-level values.
json RejectedAnswer(const json& accepted, const json& changes, const std::string& where) {
  if (!changes.is_object()) Fail(where, "expected an object");
  if (changes.contains("connections") || changes.contains("description"))
    Fail(where, "only the answer's top-level values can change here");
  json object = accepted;
  for (const auto& [key, value] : changes.items()) object[key] = value;
  return CheckedAnswer(object, where);
}

void ReadAccounts(TScenario& scenario, const json& accounts, const std::string& where) {
  if (!accounts.is_object()) Fail(where, "expected an object");
  for (const auto& [key, value] : accounts.items())
    if (key != "accept" && key != "rejected") Fail(where, "unknown member \"" + key + "\"");
  if (!accounts.contains("accept")) Fail(where, "\"accept\" is missing");
  const json& accept = accounts["accept"];
  if (accept != kSecondSeen && !AllOf(accept, [](const json& v) { return v.is_string(); }))
    Fail(where + ".accept", "expected \"second\" or an array of account numbers");
  scenario.Gate = std::make_shared<TAccountGate>(accept);
  scenario.Rejected = RejectedAnswer(scenario.Accepted, accounts.value("rejected", json::object()),
                                     where + ".rejected");
}

}  // namespace

TAccountGate::TAccountGate(const json& accept) {
  if (accept == kSecondSeen)
    FSecondSeenOnly = true;
  else
    FListed = accept.get<std::vector<std::string>>();
}

bool TAccountGate::Accepts(const std::string& account) {
  std::lock_guard lock(FMutex);
  // Only the first two distinct numbers matter, so the list stays short whatever arrives.
  if (FSeen.size() < 2 && std::find(FSeen.begin(), FSeen.end(), account) == FSeen.end())
    FSeen.push_back(account);
  if (FListed) return std::find(FListed->begin(), FListed->end(), account) != FListed->end();
  if (FSecondSeenOnly) return FSeen.size() == 2 && FSeen[1] == account;
  return true;
}

std::vector<std::string> BuiltInScenarioNames() {
  std::vector<std::string> names;
  for (const auto& builtIn : BuiltIns()) names.push_back(builtIn.first);
  return names;
}

TScenario BuiltInScenario(const std::string& name) {
  for (const auto& [builtInName, text] : BuiltIns())
    if (builtInName == name) return ScenarioFromJson(name, json::parse(text));
  std::string known;
  for (const auto& n : BuiltInScenarioNames()) known += (known.empty() ? "" : ", ") + n;
  throw std::runtime_error("unknown scenario \"" + name + "\" (known: " + known + ")");
}

TScenario ScenarioFromFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw std::runtime_error(path + ": not a readable file");
  if (std::filesystem::file_size(path, ec) > kMaxScenarioFileBytes)
    throw std::runtime_error(path + ": too large for a scenario file");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) throw std::runtime_error(path + ": cannot be read");
  json file;
  try {
    file = json::parse(text.str());
  } catch (const json::parse_error& e) {
    throw std::runtime_error(path + ": not JSON (" + e.what() + ")");
  }
  return ScenarioFromJson(std::filesystem::path(path).stem().string(), file);
}

TScenario ScenarioFromJson(const std::string& name, const json& file) {
  TScenario scenario;
  scenario.Name = name;
  if (!file.is_object()) Fail(name, "a scenario is a JSON object");
  json answer = file;
  answer.erase("accounts");
  scenario.Accepted = CheckedAnswer(answer, name);
  scenario.Description = scenario.Accepted["description"];
  if (file.contains("accounts")) ReadAccounts(scenario, file["accounts"], name + ".accounts");
  return scenario;
}
