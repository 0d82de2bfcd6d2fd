#pragma once

#include <string>

#include "common/uri.h"

// Splits http and https addresses with WinHTTP's URL functions (WinHttpCrackUrl and
// WinHttpCreateUrl).
class TWinURIParser : public IURIParser {
 public:
  TURI Parse(const std::string& text) override;
  std::string EncodeQueryComponent(const std::string& text) override;
};
