#pragma once

#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

// Decides which account numbers the service accepts: all of them, those listed, or only the
// second distinct one it sees (so that the first query is rejected and a re-entered number is
// accepted).
class TAccountGate {
 public:
  TAccountGate() = default;
  explicit TAccountGate(const nlohmann::json& accept);
  bool Accepts(const std::string& account);

 private:
  bool FSecondSeenOnly = false;
  std::optional<std::vector<std::string>> FListed;
  std::mutex FMutex;
  std::vector<std::string> FSeen;
};

// How the service answers, in the form of a scenario file (see README.md), checked and with every
// optional member filled in.
struct TScenario {
  std::string Name;
  std::string Description;
  nlohmann::json Accepted;                 // the answer for an accepted account number
  std::optional<nlohmann::json> Rejected;  // the answer for any other, when the scenario has one
  std::shared_ptr<TAccountGate> Gate = std::make_shared<TAccountGate>();
};

std::vector<std::string> BuiltInScenarioNames();

// These throw std::runtime_error with a message for the user.
TScenario BuiltInScenario(const std::string& name);
TScenario ScenarioFromFile(const std::string& path);
TScenario ScenarioFromJson(const std::string& name, const nlohmann::json& file);
