#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>

#include "connect/connect_answer.h"
#include "connect/qx_connection.h"
#include "support/recording_dialogs.h"

using nlohmann::json;

void PrintTo(TAnswerOutcome outcome, std::ostream* os) {
  const char* names[] = {"aoRead", "aoNotJson", "aoFailed"};
  *os << names[static_cast<int>(outcome)];
}

namespace {

const std::string kRequestUrl =
    "https://cloud.example:443/Connect/?accountnum=77&username=&osinfo=x&clientver=1&hostname=h";

// Reading an answer needs no network, no addresses and no machine: any use of them is a fault.
class TUnusedHttp : public IHttpClientFactory {
 public:
  std::unique_ptr<IHttpClient> Create(const THttpClientSettings&) override {
    throw std::logic_error("the answer reader must not send requests");
  }
};
class TUnusedUri : public IURIParser {
 public:
  TURI Parse(const std::string&) override { throw std::logic_error("no address is parsed"); }
  std::string EncodeQueryComponent(const std::string&) override {
    throw std::logic_error("nothing is encoded");
  }
};
class TUnusedSystem : public ISystemInfo {
 public:
  std::string HostName() override { throw std::logic_error("unused"); }
  TOSVersionInfo OSVersion() override { throw std::logic_error("unused"); }
  std::string TempFolder() override { throw std::logic_error("unused"); }
};

json Status(int id, const std::string& name, const std::string& image = "") {
  return {{"id", id}, {"name", name}, {"imageurl", image}};
}

json Connection(const std::string& identifier, json status) {
  return {{"zone", "eu"},
          {"displayname", "Desk " + identifier},
          {"connidentifier", identifier},
          {"statusdetail", "detail " + identifier},
          {"connurl", "https://rdp.example/" + identifier},
          {"blocklaunch", false},
          {"status", status}};
}

// A complete connect-info object that reads without failure.
json ValidInfo() {
  return {{"statusdetail", "Environment healthy"},
          {"blocklaunch", false},
          {"activeconn", 0},
          {"usemulticonn", false},
          {"statusfailid", 5},
          {"statusokid", 2},
          {"paramsfatal", 0},
          {"paramsreject", 0},
          {"status", Status(1, "Online", "https://img.example/1.png")},
          {"statusdefs", json::array({Status(1, "Online"), Status(3, "Degraded")})},
          {"connections", json::array({Connection("a", Status(1, "Online", "img-a"))})},
          {"connpriority", json::array({0})},
          {"messages", json::array({"Welcome", "Maintenance on Sunday"})}};
}

std::string Body(const json& info) {
  return json{{"QXConnectInfo", info}}.dump();
}

class ConnectAnswer : public ::testing::Test {
 protected:
  TAnswerOutcome Read(const std::string& body) {
    FConnection.ResetConnections();
    return TConnectAnswerReader::Read(body, kRequestUrl, FConnection);
  }
  TAnswerOutcome ReadWith(const std::function<void(json&)>& change) {
    json info = ValidInfo();
    change(info);
    return Read(Body(info));
  }

  TUnusedHttp FHttp;
  TUnusedUri FUri;
  TUnusedSystem FSystem;
  TRecordingDialogs FDialogs;
  TAppResVersionInfo FVersion;
  TQXConnection FConnection{{FHttp, FUri, FSystem, FDialogs, FVersion}};
};

}  // namespace

TEST_F(ConnectAnswer, ReadsEveryKey) {
  json info = ValidInfo();
  info["connections"].push_back(Connection("b", Status(3, "Degraded", "img-b")));
  info["connpriority"] = json::array({1, 0});
  info["unknownkey"] = {{"nested", true}};
  ASSERT_EQ(Read(Body(info)), TAnswerOutcome::aoRead);

  EXPECT_EQ(FConnection.StatusDetail(), "Environment healthy");
  EXPECT_EQ(FConnection.StatusDefs().StatusOkId(), 2);
  EXPECT_EQ(FConnection.StatusDefs().StatusFailId(), 5);
  ASSERT_EQ(FConnection.StatusDefs().Count(), 2u);
  EXPECT_EQ(FConnection.StatusDefs()[1], (TConnStatus{3, "Degraded", ""}));
  ASSERT_EQ(FConnection.Count(), 2);
  const TConnResponse b = FConnection.GetConn(1);
  EXPECT_EQ(b.Zone, "eu");
  EXPECT_EQ(b.DisplayName, "Desk b");
  EXPECT_EQ(b.ConnIdentifier, "b");
  EXPECT_EQ(b.StatusDetail, "detail b");
  EXPECT_EQ(b.ConnUrl, "https://rdp.example/b");
  EXPECT_FALSE(b.BlockLaunch);
  EXPECT_EQ(b.Status, (TConnStatus{3, "Degraded", "img-b"}));
  EXPECT_EQ(FConnection.ConnPriority(), (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(FConnection.Messages(), (std::vector<std::string>{"Welcome", "Maintenance on Sunday"}));
  EXPECT_EQ(FConnection.MessagesText(), "Welcome\r\nMaintenance on Sunday\r\n");
  EXPECT_EQ(FConnection.ActiveResponse().ConnIdentifier, "a");
}

TEST_F(ConnectAnswer, TextsTakeTheTextOfAnyJsonValue) {
  struct Case {
    json value;
    std::string text;
  } cases[] = {
      {"plain", "plain"},
      {"", ""},
      {nullptr, "null"},
      {12, "12"},
      {-3, "-3"},
      {1.5, "1.5"},
      {true, "true"},
      {false, "false"},
      {json::object({{"a", 1}}), ""},
      {json::array({"x"}), ""},
      {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ReadWith([&](json& i) { i["statusdetail"] = c.value; }), TAnswerOutcome::aoRead)
        << c.value.dump();
    EXPECT_EQ(FConnection.StatusDetail(), c.text) << c.value.dump();
    ASSERT_EQ(ReadWith([&](json& i) { i["connections"][0]["status"]["name"] = c.value; }),
              TAnswerOutcome::aoRead);
    EXPECT_EQ(FConnection.GetConn(0).Status.Name, c.text) << c.value.dump();
  }
}

TEST_F(ConnectAnswer, IntegersFromNumbersAndStringsAlike) {
  struct Case {
    json value;
    int32_t expected;
  } cases[] = {
      {1, 1},
      {"1", 1},
      {"-1", -1},
      {-1, -1},
      {"007", 7},
      {"+4", 4},
      {2147483647, 2147483647},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ReadWith([&](json& i) { i["activeconn"] = c.value; }), TAnswerOutcome::aoRead)
        << c.value.dump();
    EXPECT_EQ(FConnection.ActiveConnection(), c.expected) << c.value.dump();
  }
}

TEST_F(ConnectAnswer, BooleansFromTextInAnyCaseOrNumbers) {
  struct Case {
    json value;
    bool expected;
  } cases[] = {
      {true, true},     {"TRUE", true}, {"true", true}, {1, true},      {"1", true},
      {-2, true},       {0.5, true},    {"1e3", true},  {false, false}, {"False", false},
      {"FALSE", false}, {0, false},     {"0", false},   {0.0, false},   {"-0.00", false},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ReadWith([&](json& i) {
                i["blocklaunch"] = c.value;
                i["usemulticonn"] = c.value;
                i["connections"][0]["blocklaunch"] = c.value;
              }),
              TAnswerOutcome::aoRead)
        << c.value.dump();
    EXPECT_EQ(FConnection.BlockLaunch(), c.expected) << c.value.dump();
    EXPECT_EQ(FConnection.UseMultiConn(), c.expected) << c.value.dump();
    EXPECT_EQ(FConnection.GetConn(0).BlockLaunch, c.expected) << c.value.dump();
  }
}

TEST_F(ConnectAnswer, ValuesThatDoNotConvertFailTheAnswer) {
  struct Case {
    const char* what;
    std::function<void(json&)> change;
  } cases[] = {
      {"integer with fraction", [](json& i) { i["activeconn"] = 1.0; }},
      {"integer text with fraction", [](json& i) { i["activeconn"] = "1.0"; }},
      {"integer above range", [](json& i) { i["activeconn"] = 2147483648LL; }},
      {"integer below range", [](json& i) { i["statusokid"] = -2147483649LL; }},
      {"integer hex", [](json& i) { i["statusfailid"] = "0x10"; }},
      {"integer with space", [](json& i) { i["activeconn"] = " 1"; }},
      {"integer empty", [](json& i) { i["activeconn"] = ""; }},
      {"integer null", [](json& i) { i["activeconn"] = nullptr; }},
      {"integer object", [](json& i) { i["activeconn"] = json::object(); }},
      {"integer true", [](json& i) { i["statusokid"] = true; }},
      {"Boolean word", [](json& i) { i["blocklaunch"] = "yes"; }},
      {"Boolean empty", [](json& i) { i["usemulticonn"] = ""; }},
      {"Boolean null", [](json& i) { i["blocklaunch"] = nullptr; }},
      {"Boolean array", [](json& i) { i["blocklaunch"] = json::array({1}); }},
      {"mask text", [](json& i) { i["paramsreject"] = "all"; }},
      {"status not object", [](json& i) { i["status"] = "Online"; }},
      {"status id missing", [](json& i) { i["status"].erase("id"); }},
      {"status image missing", [](json& i) { i["status"].erase("imageurl"); }},
      {"status id text", [](json& i) { i["status"]["id"] = "one"; }},
      {"definitions not array", [](json& i) { i["statusdefs"] = Status(1, "x"); }},
      {"definition not object", [](json& i) { i["statusdefs"].push_back(1); }},
      {"connections not array", [](json& i) { i["connections"] = "a"; }},
      {"connection not object", [](json& i) { i["connections"].push_back(json::array()); }},
      {"connection zone missing", [](json& i) { i["connections"][0].erase("zone"); }},
      {"connection status missing", [](json& i) { i["connections"][0].erase("status"); }},
      {"connection status array", [](json& i) { i["connections"][0]["status"] = json::array(); }},
      {"connection Boolean", [](json& i) { i["connections"][0]["blocklaunch"] = "maybe"; }},
      {"priority strings",
       [](json& i) {
         i["connpriority"] = json::array({"0", "1"});
       }},
      {"priority fraction", [](json& i) { i["connpriority"] = json::array({1.5}); }},
      {"priority null", [](json& i) { i["connpriority"] = json::array({nullptr}); }},
      {"priority not array", [](json& i) { i["connpriority"] = 0; }},
      {"message number",
       [](json& i) {
         i["messages"] = json::array({"ok", 3});
       }},
      {"messages text", [](json& i) { i["messages"] = "hello"; }},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadWith(c.change), TAnswerOutcome::aoFailed) << c.what;
}

TEST_F(ConnectAnswer, EveryKeyMustBePresent) {
  const json valid = ValidInfo();
  for (const auto& [key, value] : valid.items())
    EXPECT_EQ(ReadWith([&](json& i) { i.erase(key); }), TAnswerOutcome::aoFailed) << key;
  for (const char* key : {"zone", "displayname", "connidentifier", "statusdetail", "connurl",
                          "blocklaunch", "status"})
    EXPECT_EQ(ReadWith([&](json& i) { i["connections"][0].erase(key); }), TAnswerOutcome::aoFailed)
        << key;
  for (const char* key : {"id", "name", "imageurl"})
    EXPECT_EQ(ReadWith([&](json& i) { i["statusdefs"][1].erase(key); }), TAnswerOutcome::aoFailed)
        << key;
}

TEST_F(ConnectAnswer, ValuesReadBeforeAFailureStayStored) {
  ASSERT_EQ(ReadWith([](json& i) {
              i["statusdetail"] = "partial";
              i["blocklaunch"] = true;
              i["activeconn"] = 3;
              i["paramsreject"] = 1;
              i["paramsfatal"] = 1;
              i["status"] = 7;
            }),
            TAnswerOutcome::aoFailed);
  EXPECT_EQ(FConnection.StatusDetail(), "partial");
  EXPECT_TRUE(FConnection.BlockLaunch());
  EXPECT_EQ(FConnection.ActiveConnection(), 3);
  EXPECT_EQ(FConnection.StatusDefs().StatusOkId(), 2);
  EXPECT_TRUE(FConnection.IsAccountInvalid());
  EXPECT_EQ(FConnection.Status(), UnknownConnStatus);  // as reset
  EXPECT_EQ(FConnection.StatusDefs().Count(), 0u);

  // Array entries before the failing one are kept.
  ASSERT_EQ(ReadWith([](json& i) {
              i["connections"].push_back(Connection("b", Status(2, "Busy")));
              i["connections"].push_back("not a connection");
            }),
            TAnswerOutcome::aoFailed);
  EXPECT_EQ(FConnection.StatusDefs().Count(), 2u);
  ASSERT_EQ(FConnection.Count(), 2);
  EXPECT_EQ(FConnection.GetConn(1).ConnIdentifier, "b");
  EXPECT_TRUE(FConnection.ConnPriority().empty());
  EXPECT_TRUE(FConnection.Messages().empty());
}

TEST_F(ConnectAnswer, PairedValuesAreStoredOnlyWhenBothRead) {
  ASSERT_EQ(Read(Body(ValidInfo())), TAnswerOutcome::aoRead);  // thresholds 2 and 5
  ASSERT_EQ(ReadWith([](json& i) {
              i["statusfailid"] = 9;
              i["statusokid"] = "bad";
            }),
            TAnswerOutcome::aoFailed);
  EXPECT_EQ(FConnection.StatusDefs().StatusFailId(), 5);
  EXPECT_EQ(FConnection.StatusDefs().StatusOkId(), 2);

  ASSERT_EQ(ReadWith([](json& i) {
              i["paramsfatal"] = 1;
              i["paramsreject"] = "bad";
            }),
            TAnswerOutcome::aoFailed);
  EXPECT_TRUE(FConnection.ResponseFatals().Empty());
  EXPECT_FALSE(FConnection.IsParamRejected());
}

TEST_F(ConnectAnswer, BitMasksAndTheirPredicates) {
  struct Case {
    json reject, fatal;
    uint8_t rejectMask, fatalMask;
    bool rejected, rejectFatal, accountInvalid, clientVerFatal, clientVerWarning;
  } cases[] = {
      {8, 0, 8, 0, true, false, false, false, true},
      {0, 63, 0, 63, false, false, false, false, false},
      {65, 1, 1, 1, true, true, true, false, false},
      {"65", 0, 1, 0, true, false, false, false, false},
      {8, 8, 8, 8, true, true, false, true, true},
      {16, 16, 16, 16, true, true, false, false, false},
      {32, 31, 32, 31, true, false, false, false, false},
      {-1, -64, 63, 0, true, false, false, false, true},
      {0, 0, 0, 0, false, false, false, false, false},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ReadWith([&](json& i) {
                i["paramsreject"] = c.reject;
                i["paramsfatal"] = c.fatal;
              }),
              TAnswerOutcome::aoRead);
    const std::string row = c.reject.dump() + "/" + c.fatal.dump();
    EXPECT_EQ(FConnection.ResponseParamRejects().Mask(), c.rejectMask) << row;
    EXPECT_EQ(FConnection.ResponseFatals().Mask(), c.fatalMask) << row;
    EXPECT_EQ(FConnection.IsParamRejected(), c.rejected) << row;
    EXPECT_EQ(FConnection.IsParamRejectFatal(), c.rejectFatal) << row;
    EXPECT_EQ(FConnection.IsAccountInvalid(), c.accountInvalid) << row;
    EXPECT_EQ(FConnection.IsClientVerFatal(), c.clientVerFatal) << row;
    EXPECT_EQ(FConnection.IsClientVerWarning(), c.clientVerWarning) << row;
  }
}

TEST_F(ConnectAnswer, EmptyArraysAndNoActiveConnection) {
  ASSERT_EQ(ReadWith([](json& i) {
              i["activeconn"] = 0;
              i["connections"] = json::array();
              i["connpriority"] = json::array();
              i["messages"] = json::array();
              i["statusdefs"] = json::array();
            }),
            TAnswerOutcome::aoRead);
  EXPECT_EQ(FConnection.Count(), 0);
  EXPECT_TRUE(FConnection.ConnPriority().empty());
  EXPECT_EQ(FConnection.MessagesText(), "");
  EXPECT_EQ(FConnection.ActiveConnection(), 0);
  EXPECT_FALSE(FConnection.ActiveResponse().IsValid());
  EXPECT_EQ(FConnection.ActiveResponse(), InvalidConnResponse);
}

TEST_F(ConnectAnswer, BodyThatIsNotJsonRecordsTheUnknownAnswer) {
  const std::string deepUnclosed(100000, '[');
  for (const std::string& body :
       {std::string(), std::string("   "), std::string("<html><body>Gateway</body></html>"),
        std::string("{\"QXConnectInfo\": {"), std::string("\xFF\xFE{}"),
        std::string("{\"QXConnectInfo\": \"\xC3\x28\"}"), std::string("{\"a\":\"\xED\xA0\x80\"}"),
        std::string("nul"), std::string("{}\0{}", 5), Body(ValidInfo()) + std::string(1, '\0'),
        deepUnclosed}) {
    ASSERT_EQ(Read(body), TAnswerOutcome::aoNotJson) << body.substr(0, 40);
    EXPECT_EQ(FConnection.Status().Id, 2147483647);
    EXPECT_EQ(FConnection.Status().Name, "Unknown");
    EXPECT_EQ(FConnection.StatusDetail(), "Unknown Response from '" + kRequestUrl + "'");
    EXPECT_EQ(FConnection.ActiveResponse(), InvalidConnResponse);
  }
  // Invalid UTF-8 inside a value of a complete answer.
  json info = ValidInfo();
  std::string body = Body(info);
  body.replace(body.find("Welcome"), 7, "Welc\xC0\xAFme");
  EXPECT_EQ(Read(body), TAnswerOutcome::aoNotJson);
  EXPECT_TRUE(FConnection.Messages().empty());
}

TEST_F(ConnectAnswer, JsonWithoutAReadableConnectInfoObjectFails) {
  const std::string overflow = "{\"x\": 1e400, \"QXConnectInfo\": " + ValidInfo().dump() + "}";
  for (const std::string& body :
       {std::string("{}"), std::string("[]"), std::string("123"), std::string("\"text\""),
        std::string("null"), std::string("{\"QXConnectInfo\": []}"),
        std::string("{\"QXConnectInfo\": \"x\"}"), std::string("{\"qxconnectinfo\": {}}"),
        std::string("{\"QXConnectInfo\": {}}"), overflow}) {
    EXPECT_EQ(Read(body), TAnswerOutcome::aoFailed) << body;
    EXPECT_EQ(FConnection.StatusDetail(), "") << body;
  }
}

TEST_F(ConnectAnswer, DeepNestingIsRefusedWithoutParsing) {
  auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  // The answer itself opens two levels; the ignored key adds the rest.
  auto answerWithExtra = [&](int totalDepth) {
    std::string body = Body(ValidInfo());
    return body.insert(body.size() - 2, ",\"extra\":" + nested(totalDepth - 2));
  };
  EXPECT_EQ(Read(answerWithExtra(kMaxAnswerNesting)), TAnswerOutcome::aoRead);
  EXPECT_EQ(Read(answerWithExtra(kMaxAnswerNesting + 1)), TAnswerOutcome::aoFailed);
  EXPECT_EQ(Read(nested(1000000)), TAnswerOutcome::aoFailed);
  EXPECT_EQ(FConnection.StatusDetail(), "");

  // Brackets inside strings do not count, escaped quotes included.
  json info = ValidInfo();
  info["messages"].push_back("\"" + std::string(5000, '[') + "\\\"{{{");
  EXPECT_EQ(Read(Body(info)), TAnswerOutcome::aoRead);
  EXPECT_EQ(FConnection.Messages().size(), 3u);
}

TEST_F(ConnectAnswer, ActiveResponseTakesTheWorseOverallStatusUnlessMultiConn) {
  auto read = [&](bool multi, int overall, int active) {
    ASSERT_EQ(ReadWith([&](json& i) {
                i["usemulticonn"] = multi;
                i["status"] = Status(overall, "Overall", "img-overall");
                i["connections"] = json::array({Connection("a", Status(active, "Own", "img-own"))});
              }),
              TAnswerOutcome::aoRead);
  };
  read(false, 3, 1);
  EXPECT_EQ(FConnection.ActiveResponse().Status, (TConnStatus{3, "Overall", "img-overall"}));
  EXPECT_EQ(FConnection.ActiveResponse().ConnIdentifier, "a");
  EXPECT_EQ(FConnection.GetConn(0).Status, (TConnStatus{1, "Own", "img-own"}));
  read(true, 3, 1);
  EXPECT_EQ(FConnection.ActiveResponse().Status, (TConnStatus{1, "Own", "img-own"}));
  read(false, 3, 3);  // equal ids keep the connection's own status
  EXPECT_EQ(FConnection.ActiveResponse().Status.Name, "Own");
  read(false, 1, 4);
  EXPECT_EQ(FConnection.ActiveResponse().Status.Name, "Own");
}

TEST_F(ConnectAnswer, ConnectionsOutsideTheListAreInvalid) {
  struct Case {
    json active;
    bool valid;
  } cases[] = {{-1, false}, {0, true}, {1, true}, {2, false}, {-7, false}, {2147483647, false}};
  for (const auto& c : cases) {
    ASSERT_EQ(ReadWith([&](json& i) {
                i["activeconn"] = c.active;
                i["connections"].push_back(Connection("b", Status(1, "Online")));
              }),
              TAnswerOutcome::aoRead);
    EXPECT_EQ(FConnection.ActiveResponse().IsValid(), c.valid) << c.active;
  }
  for (int32_t index : {-1, 2, -2147483647 - 1, 2147483647})
    EXPECT_EQ(FConnection.GetConn(index), InvalidConnResponse) << index;
  EXPECT_EQ(FConnection.GetConn(1).ConnIdentifier, "b");
}

TEST_F(ConnectAnswer, StatusIsTheWorstThatCounts) {
  struct Case {
    const char* what;
    bool multi;
    int active;
    int overall;
    std::vector<int> connectionIds;
    std::string expectedName;
  } cases[] = {
      {"multi: worst connection", true, 0, 3, {2, 5, 5, 4}, "c1"},
      {"multi: overall wins ties", true, 0, 5, {5, 1}, "overall"},
      {"multi: overall worse", true, -1, 6, {5, 1}, "overall"},
      {"single: worse active", false, 1, 3, {9, 4}, "c1"},
      {"single: others ignored", false, 1, 3, {9, 2}, "overall"},
      {"single: no active", false, -1, 3, {9}, "overall"},
      {"single: tie", false, 0, 3, {3}, "overall"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(
        ReadWith([&](json& i) {
          i["usemulticonn"] = c.multi;
          i["activeconn"] = c.active;
          i["status"] = Status(c.overall, "overall");
          i["connections"] = json::array();
          for (size_t n = 0; n < c.connectionIds.size(); ++n)
            i["connections"].push_back(Connection(
                "c" + std::to_string(n), Status(c.connectionIds[n], "c" + std::to_string(n))));
        }),
        TAnswerOutcome::aoRead)
        << c.what;
    EXPECT_EQ(FConnection.Status().Name, c.expectedName) << c.what;
  }
}

TEST_F(ConnectAnswer, ResetKeepsOnlyTheThresholds) {
  ASSERT_EQ(ReadWith([](json& i) {
              i["paramsreject"] = 1;
              i["blocklaunch"] = true;
              i["usemulticonn"] = true;
            }),
            TAnswerOutcome::aoRead);
  FConnection.ResetConnections();
  EXPECT_EQ(FConnection.StatusDefs().StatusOkId(), 2);
  EXPECT_EQ(FConnection.StatusDefs().StatusFailId(), 5);
  EXPECT_EQ(FConnection.StatusDefs().Count(), 0u);
  EXPECT_EQ(FConnection.Count(), 0);
  EXPECT_TRUE(FConnection.Messages().empty());
  EXPECT_TRUE(FConnection.ConnPriority().empty());
  EXPECT_FALSE(FConnection.IsParamRejected());
  EXPECT_FALSE(FConnection.BlockLaunch());
  EXPECT_FALSE(FConnection.UseMultiConn());
  EXPECT_EQ(FConnection.ActiveConnection(), -1);
  EXPECT_EQ(FConnection.Status(), UnknownConnStatus);
  EXPECT_EQ(FConnection.StatusDetail(), "");
  EXPECT_TRUE(FConnection.IsResponseUnknown());
}

TEST_F(ConnectAnswer, FreshConnectionHoldsItsCreationValues) {
  TQXConnection fresh{{FHttp, FUri, FSystem, FDialogs, FVersion}};
  EXPECT_EQ(fresh.ResponseStatus(), TResponseStatus::rstUnknown);
  EXPECT_EQ(fresh.Status(), (TConnStatus{0, "", ""}));
  EXPECT_EQ(fresh.ActiveConnection(), -1);
  EXPECT_EQ(fresh.ActiveResponse(), InvalidConnResponse);
  EXPECT_EQ(fresh.StatusDefs().StatusOkId(), 0);
  EXPECT_EQ(fresh.ConnectUrl(), "");
}
