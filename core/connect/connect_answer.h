#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

class TQXConnection;

enum class TAnswerOutcome {
  aoRead,     // the connect-info object was read whole
  aoNotJson,  // empty or not JSON: the connection records the unknown answer instead
  aoFailed    // a key missing, a value of the wrong kind or one that does not convert
};

// Copying or printing a JSON value recurses once per level, so deeper answers are refused before
// they are parsed.
inline constexpr int kMaxAnswerNesting = 256;

// Reads the body of a 200 or 406 answer into the connection, each value the moment it is read:
// after a failure the values read before it stay stored.
class TConnectAnswerReader {
 public:
  static TAnswerOutcome Read(std::string_view body, const std::string& requestUrl,
                             TQXConnection& connection);

 private:
  static void ReadConnectInfo(const nlohmann::json& info, TQXConnection& connection);
  static void RecordUnknownAnswer(const std::string& requestUrl, TQXConnection& connection);
};
