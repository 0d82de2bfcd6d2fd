#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One registered option. Text options receive their value as typed (outer quotes removed);
// switches receive a flag.
class TCommandLineOption {
 public:
  enum class TKind { okText, okSwitch };
  using TTextCallback = std::function<void(const std::string&)>;
  using TSwitchCallback = std::function<void(bool)>;

  TCommandLineOption(TKind kind, std::string longName, std::string shortName, std::string helpText);

  // The marks return the option so that they can be chained after the registration.
  TCommandLineOption& SetRequired(bool value);
  TCommandLineOption& SetHasValue(bool value);
  TCommandLineOption& SetHidden(bool value);

  TKind Kind() const { return FKind; }
  const std::string& LongName() const { return FLongName; }
  const std::string& ShortName() const { return FShortName; }
  const std::string& HelpText() const { return FHelpText; }
  bool Required() const { return FRequired; }
  bool HasValue() const { return FHasValue; }
  bool Hidden() const { return FHidden; }

  // True when `name` is the long or the short name, ignoring ASCII case.
  bool IsNamed(const std::string& name) const;
  // "--long[:value][ or -short[:value]][ : help]"
  std::string UsageLine() const;

 private:
  friend class TCommandLineParser;

  TKind FKind;
  std::string FLongName;
  std::string FShortName;
  std::string FHelpText;
  bool FRequired = true;
  bool FHasValue = true;
  bool FHidden = false;
  TTextCallback FOnText;
  TSwitchCallback FOnSwitch;
};

// The errors of one parse, in the order they were found.
class TCommandLineParseResult {
 public:
  bool HasErrors() const { return !FErrors.empty(); }
  const std::vector<std::string>& Errors() const { return FErrors; }
  // Every error followed by CR LF.
  std::string ErrorText() const;
  void AddError(const std::string& error) { FErrors.push_back(error); }

 private:
  std::vector<std::string> FErrors;
};

// Options of the forms --name[:value], -name[:value], /name[:value] and @name[:value], where the
// name is the long or the short name of a registered option. Callbacks run during the parse, in
// command-line order, so a repeated option's last occurrence wins.
class TCommandLineParser {
 public:
  TCommandLineOption& RegisterTextOption(const std::string& longName, const std::string& shortName,
                                         const std::string& helpText,
                                         TCommandLineOption::TTextCallback onValue);
  TCommandLineOption& RegisterSwitchOption(const std::string& longName,
                                           const std::string& shortName,
                                           const std::string& helpText,
                                           TCommandLineOption::TSwitchCallback onValue);

  // `args` are the arguments after the program path. Parsing goes on after an error.
  TCommandLineParseResult Parse(const std::vector<std::string>& args) const;

  // Hands the usage line of every option that is not hidden, in registration order.
  void PrintUsage(const std::function<void(const std::string&)>& onLine) const;

 private:
  TCommandLineOption& AddOption(TCommandLineOption option);
  const TCommandLineOption* FindOption(const std::string& name) const;
  void ParseArgument(const std::string& arg, std::vector<const TCommandLineOption*>& seen,
                     TCommandLineParseResult& result) const;

  // Stable addresses: registration hands out references that stay valid.
  std::vector<std::unique_ptr<TCommandLineOption>> FOptions;
};

// The words a switch accepts as a value, compared ignoring ASCII case; false when `value` is
// none of them.
bool TryParseSwitchValue(const std::string& value, bool& flag);
