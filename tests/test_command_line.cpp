#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/command_line.h"

namespace {

using TArgs = std::vector<std::string>;
using TLog = std::vector<std::string>;

// A parser with text, switch and hidden options whose callbacks log "name=value".
class CommandLineParser : public ::testing::Test {
 protected:
  CommandLineParser() {
    AddText("accountnum", "a", "Account");
    AddText("connecturl", "c", "Query URL");
    AddText("username", "u", "User");
    AddText("mode", "o", "Mode").SetHidden(true);
    AddSwitch("showgui", "g", "GUI");
    AddSwitch("help", "h", "Help");
  }

  TCommandLineOption& AddText(const char* longName, const char* shortName, const char* help) {
    return Parser
        .RegisterTextOption(
            longName, shortName, help,
            [this, longName](const std::string& v) { Log.push_back(longName + ("=" + v)); })
        .SetRequired(false);
  }

  TCommandLineOption& AddSwitch(const char* longName, const char* shortName, const char* help) {
    return Parser
        .RegisterSwitchOption(longName, shortName, help,
                              [this, longName](bool v) {
                                Log.push_back(longName + std::string(v ? "=true" : "=false"));
                              })
        .SetRequired(false)
        .SetHasValue(false);
  }

  TCommandLineParser Parser;
  TLog Log;
};

TEST_F(CommandLineParser, AcceptedSyntax) {
  struct Case {
    TArgs args;
    TLog calls;
  } cases[] = {
      // Every prefix with either name, in any letter case.
      {{"-A:123"}, {"accountnum=123"}},
      {{"--accountnum:123"}, {"accountnum=123"}},
      {{"/a:123"}, {"accountnum=123"}},
      {{"@A:123"}, {"accountnum=123"}},
      {{"--a:123"}, {"accountnum=123"}},
      {{"/ACCOUNTNUM:123"}, {"accountnum=123"}},
      {{"@accountNum:123"}, {"accountnum=123"}},
      // The value starts after the first colon and is not trimmed.
      {{"-c:https://host:8443/x"}, {"connecturl=https://host:8443/x"}},
      {{"-u: a b "}, {"username= a b "}},
      // Outer quotes go, also when they differ; a lone or one-sided quote stays.
      {{"-u:'tester'"}, {"username=tester"}},
      {{"-u:\"tester\""}, {"username=tester"}},
      {{"-u:\"x'"}, {"username=x"}},
      {{"-u:'x"}, {"username='x"}},
      {{"-u:x'"}, {"username=x'"}},
      {{"-u:'"}, {"username='"}},
      {{"-u:'a'b'"}, {"username=a'b"}},
      // Switches: no value is true; a value is a Boolean word.
      {{"-g"}, {"showgui=true"}},
      {{"-g:"}, {"showgui=true"}},
      {{"-g:''"}, {"showgui=true"}},
      {{"-g:OFF"}, {"showgui=false"}},
      {{"-g:'no'"}, {"showgui=false"}},
      {{"-h:no"}, {"help=false"}},
      // Callbacks run in command-line order, again for each repetition.
      {{"-g", "-g:OFF"}, {"showgui=true", "showgui=false"}},
      {{"-a:1", "/accountnum:2"}, {"accountnum=1", "accountnum=2"}},
      {{"-u:x", "-a:y"}, {"username=x", "accountnum=y"}},
      // Empty arguments are skipped; hidden options are accepted.
      {{"", "-a:1", ""}, {"accountnum=1"}},
      {{"-o:debug"}, {"mode=debug"}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    Log.clear();
    const TCommandLineParseResult result = Parser.Parse(c.args);
    const std::string where = ::testing::PrintToString(c.args);
    EXPECT_FALSE(result.HasErrors()) << where << ": " << result.ErrorText();
    EXPECT_EQ(Log, c.calls) << where;
  }
}

TEST_F(CommandLineParser, Messages) {
  struct Case {
    std::string arg, error;
  } cases[] = {
      {"setup", "Unknown option start: setup"},
      {":a", "Unknown option start: :a"},
      {"--", "Unknown command line option: --"},
      {"-", "Unknown command line option: -"},
      {"-x", "Unknown command line option: -x"},
      {"/X:1", "Unknown command line option: /X:1"},
      {"---a:1", "Unknown command line option: ---a:1"},
      {"-accountnumber:1", "Unknown command line option: -accountnumber:1"},
      {"-c", "Option [c] expected a following :value but none was found"},
      {"--ConnectUrl:", "Option [ConnectUrl] expected a following :value but none was found"},
      {"-u:''", "Option [u] expected a following :value but none was found"},
      {"-u:\"'", "Option [u] expected a following :value but none was found"},
      {"-g:maybe", "Error setting option: g to maybe: Invalid value, not Boolean"},
      {"--ShowGui:'Maybe'", "Error setting option: ShowGui to Maybe: Invalid value, not Boolean"},
      {"-g:yess", "Error setting option: g to yess: Invalid value, not Boolean"},
  };
  for (const auto& c : cases) {
    Log.clear();
    const TCommandLineParseResult result = Parser.Parse({c.arg});
    EXPECT_EQ(result.Errors(), TLog{c.error}) << c.arg;
    EXPECT_TRUE(Log.empty()) << c.arg;
  }
}

TEST_F(CommandLineParser, ParsingGoesOnAfterErrors) {
  const TCommandLineParseResult result =
      Parser.Parse({"-x", "-a:1", "-c", "setup", "-g:maybe", "-g"});
  EXPECT_EQ(Log, (TLog{"accountnum=1", "showgui=true"}));
  EXPECT_EQ(result.ErrorText(),
            "Unknown command line option: -x\r\n"
            "Option [c] expected a following :value but none was found\r\n"
            "Unknown option start: setup\r\n"
            "Error setting option: g to maybe: Invalid value, not Boolean\r\n");
}

TEST_F(CommandLineParser, SwitchWords) {
  const TArgs trueWords = {"True", "T",  "+",    "Yes", "Y",       "On", "Enable", "Enabled",
                           "1",    "-1", "TRUE", "yes", "eNaBlEd", "t",  "y"};
  const TArgs falseWords = {"False",    "F", "-",     "No",  "N",        "Off", "Disable",
                            "Disabled", "0", "FALSE", "off", "dIsAbLeD", "f",   "n"};
  for (const auto& [words, expected] :
       {std::pair{trueWords, "showgui=true"}, std::pair{falseWords, "showgui=false"}}) {
    for (const auto& word : words) {
      Log.clear();
      EXPECT_FALSE(Parser.Parse({"-g:" + word}).HasErrors()) << word;
      EXPECT_EQ(Log, TLog{expected}) << word;
    }
  }
  for (const char* other : {"2", "+1", "ja", "Tru", "yes ", " on", "Offf"}) {
    bool flag = true;
    EXPECT_FALSE(TryParseSwitchValue(other, flag)) << other;
  }
}

TEST_F(CommandLineParser, UsageLinesSkipHiddenOptions) {
  Parser.RegisterTextOption("longonly", "", "", nullptr).SetRequired(false);
  Parser.RegisterSwitchOption("quiet", "q", "", nullptr).SetRequired(false).SetHasValue(false);
  TLog lines;
  Parser.PrintUsage([&lines](const std::string& line) { lines.push_back(line); });
  EXPECT_EQ(lines, (TLog{
                       "--accountnum:value or -a:value : Account",
                       "--connecturl:value or -c:value : Query URL",
                       "--username:value or -u:value : User",
                       "--showgui or -g : GUI",
                       "--help or -h : Help",
                       "--longonly:value",
                       "--quiet or -q",
                   }));
}

TEST_F(CommandLineParser, RequiredOptionMustBeGiven) {
  Parser.RegisterTextOption("zone", "z", "Zone", nullptr);
  EXPECT_EQ(Parser.Parse({"-a:1"}).Errors(), TLog{"Required option [zone] was not supplied"});
  EXPECT_FALSE(Parser.Parse({"-Z:eu"}).HasErrors());
}

}  // namespace
