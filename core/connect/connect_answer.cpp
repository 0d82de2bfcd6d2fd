#include "connect/connect_answer.h"

#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>

#include "common/text.h"
#include "connect/qx_connection.h"

using nlohmann::json;

namespace {

// A key missing, a value of the wrong kind, or a text that does not convert.
struct EAnswerError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// True when the body opens more than `limit` arrays and objects inside one another. Brackets
// inside strings do not count; the scan stops as soon as the limit is passed.
bool NestedDeeperThan(std::string_view body, int limit) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (char c : body) {
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number with optional sign, fraction and exponent; `nonZero` tells whether any digit of
// its mantissa is other than 0.
bool ParseDecimalNumber(std::string_view text, bool& nonZero) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  nonZero = false;
  auto takeDigits = [&] {
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
      if (text[i] != '0') nonZero = true;
  };
  takeDigits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    takeDigits();
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponentStart = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == exponentStart) return false;
  }
  return i == text.size();
}

const json& Member(const json& object, const char* key) {
  auto it = object.find(key);
  if (it == object.end()) throw EAnswerError(std::string("missing key ") + key);
  return *it;
}

std::string TextOf(const json& value) {
  switch (value.type()) {
    case json::value_t::string:
      return value.get_ref<const std::string&>();
    case json::value_t::object:
    case json::value_t::array:
      return {};
    default:
      return value.dump();  // numbers, true, false and null as their JSON text
  }
}

int32_t IntegerOf(const json& value) {
  std::string text = TextOf(value);
  std::string_view digits = text;
  if (digits.size() > 1 && digits[0] == '+' && digits[1] != '-') digits.remove_prefix(1);
  int32_t result = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
  if (error != std::errc() || end != digits.data() + digits.size())
    throw EAnswerError("not an integer: " + text);
  return result;
}

bool BooleanOf(const json& value) {
  std::string text = TextOf(value);
  if (SameTextAscii(text, "true")) return true;
  if (SameTextAscii(text, "false")) return false;
  bool nonZero = false;
  if (!ParseDecimalNumber(text, nonZero)) throw EAnswerError("not a Boolean: " + text);
  return nonZero;
}

uint32_t BitMaskOf(const json& value) {
  return static_cast<uint32_t>(IntegerOf(value));
}

const json& ArrayOf(const json& value) {
  if (!value.is_array()) throw EAnswerError("not an array");
  return value;
}

TConnStatus StatusOf(const json& value) {
  if (!value.is_object()) throw EAnswerError("status is not an object");
  TConnStatus status;
  status.Id = IntegerOf(Member(value, "id"));
  status.Name = TextOf(Member(value, "name"));
  status.ImageUrl = TextOf(Member(value, "imageurl"));
  return status;
}

TConnResponse ConnectionOf(const json& value) {
  if (!value.is_object()) throw EAnswerError("connection is not an object");
  TConnResponse connection;
  connection.Zone = TextOf(Member(value, "zone"));
  connection.DisplayName = TextOf(Member(value, "displayname"));
  connection.ConnIdentifier = TextOf(Member(value, "connidentifier"));
  connection.StatusDetail = TextOf(Member(value, "statusdetail"));
  connection.ConnUrl = TextOf(Member(value, "connurl"));
  connection.BlockLaunch = BooleanOf(Member(value, "blocklaunch"));
  connection.Status = StatusOf(Member(value, "status"));
  return connection;
}

int32_t PriorityOf(const json& value) {
  if (!value.is_number()) throw EAnswerError("priority is not a number");
  return IntegerOf(value);
}

std::string MessageOf(const json& value) {
  if (!value.is_string()) throw EAnswerError("message is not a string");
  return value.get_ref<const std::string&>();
}

// The document, or none when the body is not JSON at all. JSON nested too deep is a bad answer.
std::optional<json> ParseBody(std::string_view body) {
  // The parser takes a NUL byte for the end of its input; in JSON text it can stand nowhere.
  if (body.find('\0') != std::string_view::npos) return std::nullopt;
  if (NestedDeeperThan(body, kMaxAnswerNesting)) {
    if (json::accept(body)) throw EAnswerError("nested too deep");
    return std::nullopt;
  }
  try {
    return json::parse(body);
  } catch (const json::parse_error&) {
    return std::nullopt;
  }
}

const json& ConnectInfoOf(const json& document) {
  if (!document.is_object()) throw EAnswerError("answer is not an object");
  const json& info = Member(document, "QXConnectInfo");
  if (!info.is_object()) throw EAnswerError("QXConnectInfo is not an object");
  return info;
}

}  // namespace

TAnswerOutcome TConnectAnswerReader::Read(std::string_view body, const std::string& requestUrl,
                                          TQXConnection& connection) {
  try {
    std::optional<json> document = ParseBody(body);
    if (!document) {
      RecordUnknownAnswer(requestUrl, connection);
      return TAnswerOutcome::aoNotJson;
    }
    ReadConnectInfo(ConnectInfoOf(*document), connection);
    return TAnswerOutcome::aoRead;
  } catch (const EAnswerError&) {
    return TAnswerOutcome::aoFailed;
  } catch (const json::exception&) {
    return TAnswerOutcome::aoFailed;
  }
}

void TConnectAnswerReader::ReadConnectInfo(const json& info, TQXConnection& c) {
  c.FStatusDetail = TextOf(Member(info, "statusdetail"));
  c.FBlockLaunch = BooleanOf(Member(info, "blocklaunch"));
  c.FActiveConnection = IntegerOf(Member(info, "activeconn"));
  c.FUseMultiConn = BooleanOf(Member(info, "usemulticonn"));
  const int32_t failId = IntegerOf(Member(info, "statusfailid"));
  const int32_t okId = IntegerOf(Member(info, "statusokid"));
  c.FStatusDefs.SetStatusIds(okId, failId);
  const uint32_t fatals = BitMaskOf(Member(info, "paramsfatal"));
  const uint32_t rejects = BitMaskOf(Member(info, "paramsreject"));
  c.FResponseParamFatals = TConnRejectFatals::FromMask(fatals);
  c.FResponseParamRejects = TConnParamRejects::FromMask(rejects);
  c.FStatus = StatusOf(Member(info, "status"));
  for (const json& entry : ArrayOf(Member(info, "statusdefs"))) c.FStatusDefs.Add(StatusOf(entry));
  for (const json& entry : ArrayOf(Member(info, "connections")))
    c.FConnections.push_back(ConnectionOf(entry));
  for (const json& entry : ArrayOf(Member(info, "connpriority")))
    c.FConnPriority.push_back(PriorityOf(entry));
  for (const json& entry : ArrayOf(Member(info, "messages")))
    c.FMessages.push_back(MessageOf(entry));
}

void TConnectAnswerReader::RecordUnknownAnswer(const std::string& requestUrl, TQXConnection& c) {
  c.FStatus.Id = kUnknownStatusId;
  c.FStatus.Name = "Unknown";
  c.FStatusDetail = "Unknown Response from '" + requestUrl + "'";
}
