#pragma once

#include <stdexcept>
#include <string>

// The text is not an address the platform's URI parser accepts.
struct EURIParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TURI {
  std::string Scheme;  // lower case, e.g. "https"
  std::string Host;    // as the parser writes it; an IPv6 address keeps its brackets
  int Port = 0;        // the scheme's default when the address names none
  std::string Path;    // "/" at least
  std::string Query;   // without the "?"; empty when none
  std::string Text;    // the whole address as the parser writes it back
};

class IURIParser {
 public:
  virtual ~IURIParser() = default;
  // Throws EURIParseError for a text that is not a http or https address.
  virtual TURI Parse(const std::string& text) = 0;
  // Percent-encodes a query name or value; unreserved characters stay as they are.
  virtual std::string EncodeQueryComponent(const std::string& text) = 0;
};

// Percent-encodes everything but A-Z a-z 0-9 - . _ ~, with upper-case hex digits.
std::string PercentEncodeQueryComponent(const std::string& text);

// True when the parser accepts the text; an empty text fails. Errors other than a parse failure
// propagate.
bool IsValidURL(IURIParser& parser, const std::string& text);
