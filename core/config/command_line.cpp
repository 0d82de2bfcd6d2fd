#include "config/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/text.h"

namespace {

constexpr std::array<std::string_view, 4> kOptionPrefixes = {"--", "-", "/", "@"};

constexpr std::array<std::string_view, 10> kTrueWords = {"True", "T",      "+",       "Yes", "Y",
                                                         "On",   "Enable", "Enabled", "1",   "-1"};
constexpr std::array<std::string_view, 9> kFalseWords = {"False", "F",       "-",        "No", "N",
                                                         "Off",   "Disable", "Disabled", "0"};

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

// The outer quotes may differ from each other: "x' loses both.
std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && IsQuote(value.front()) && IsQuote(value.back()))
    return value.substr(1, value.size() - 2);
  return value;
}

// False when the argument starts with none of the prefixes.
bool StripPrefix(const std::string& arg, std::string& rest) {
  for (std::string_view prefix : kOptionPrefixes) {
    if (arg.starts_with(prefix)) {
      rest = arg.substr(prefix.size());
      return true;
    }
  }
  return false;
}

bool IsOneOf(const std::string& value, const auto& words) {
  return std::any_of(words.begin(), words.end(),
                     [&](std::string_view word) { return SameTextAscii(value, word); });
}

}  // namespace

bool TryParseSwitchValue(const std::string& value, bool& flag) {
  if (IsOneOf(value, kTrueWords)) {
    flag = true;
    return true;
  }
  if (IsOneOf(value, kFalseWords)) {
    flag = false;
    return true;
  }
  return false;
}

TCommandLineOption::TCommandLineOption(TKind kind, std::string longName, std::string shortName,
                                       std::string helpText)
    : FKind(kind),
      FLongName(std::move(longName)),
      FShortName(std::move(shortName)),
      FHelpText(std::move(helpText)) {}

TCommandLineOption& TCommandLineOption::SetRequired(bool value) {
  FRequired = value;
  return *this;
}

TCommandLineOption& TCommandLineOption::SetHasValue(bool value) {
  FHasValue = value;
  return *this;
}

TCommandLineOption& TCommandLineOption::SetHidden(bool value) {
  FHidden = value;
  return *this;
}

bool TCommandLineOption::IsNamed(const std::string& name) const {
  return SameTextAscii(name, FLongName) || (!FShortName.empty() && SameTextAscii(name, FShortName));
}

std::string TCommandLineOption::UsageLine() const {
  const char* valueMark = FHasValue ? ":value" : "";
  std::string line = "--" + FLongName + valueMark;
  if (!FShortName.empty()) line += " or -" + FShortName + valueMark;
  if (!FHelpText.empty()) line += " : " + FHelpText;
  return line;
}

std::string TCommandLineParseResult::ErrorText() const {
  std::string text;
  for (const auto& error : FErrors) text += error + sLineBreak;
  return text;
}

TCommandLineOption& TCommandLineParser::RegisterTextOption(
    const std::string& longName, const std::string& shortName, const std::string& helpText,
    TCommandLineOption::TTextCallback onValue) {
  TCommandLineOption option(TCommandLineOption::TKind::okText, longName, shortName, helpText);
  option.FOnText = std::move(onValue);
  return AddOption(std::move(option));
}

TCommandLineOption& TCommandLineParser::RegisterSwitchOption(
    const std::string& longName, const std::string& shortName, const std::string& helpText,
    TCommandLineOption::TSwitchCallback onValue) {
  TCommandLineOption option(TCommandLineOption::TKind::okSwitch, longName, shortName, helpText);
  option.FOnSwitch = std::move(onValue);
  return AddOption(std::move(option));
}

TCommandLineOption& TCommandLineParser::AddOption(TCommandLineOption option) {
  FOptions.push_back(std::make_unique<TCommandLineOption>(std::move(option)));
  return *FOptions.back();
}

const TCommandLineOption* TCommandLineParser::FindOption(const std::string& name) const {
  for (const auto& option : FOptions)
    if (option->IsNamed(name)) return option.get();
  return nullptr;
}

TCommandLineParseResult TCommandLineParser::Parse(const std::vector<std::string>& args) const {
  TCommandLineParseResult result;
  std::vector<const TCommandLineOption*> seen;
  for (const auto& arg : args)
    if (!arg.empty()) ParseArgument(arg, seen, result);
  for (const auto& option : FOptions) {
    if (option->Required() && std::find(seen.begin(), seen.end(), option.get()) == seen.end())
      result.AddError("Required option [" + option->LongName() + "] was not supplied");
  }
  return result;
}

void TCommandLineParser::ParseArgument(const std::string& arg,
                                       std::vector<const TCommandLineOption*>& seen,
                                       TCommandLineParseResult& result) const {
  std::string rest;
  if (!StripPrefix(arg, rest)) {
    result.AddError("Unknown option start: " + arg);
    return;
  }
  const size_t colon = rest.find(':');
  const std::string name = rest.substr(0, colon);
  const std::string value = colon == std::string::npos ? "" : Unquote(rest.substr(colon + 1));

  const TCommandLineOption* option = FindOption(name);
  if (option == nullptr) {
    result.AddError("Unknown command line option: " + arg);
    return;
  }
  seen.push_back(option);
  if (value.empty() && option->HasValue()) {
    result.AddError("Option [" + name + "] expected a following :value but none was found");
    return;
  }
  if (option->Kind() == TCommandLineOption::TKind::okText) {
    if (option->FOnText) option->FOnText(value);
    return;
  }
  bool flag = true;
  if (!value.empty() && !TryParseSwitchValue(value, flag)) {
    result.AddError("Error setting option: " + name + " to " + value +
                    ": Invalid value, not Boolean");
    return;
  }
  if (option->FOnSwitch) option->FOnSwitch(flag);
}

void TCommandLineParser::PrintUsage(const std::function<void(const std::string&)>& onLine) const {
  for (const auto& option : FOptions)
    if (!option->Hidden()) onLine(option->UsageLine());
}
