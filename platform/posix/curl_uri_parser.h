#pragma once

#include <string>

#include "common/uri.h"

// Splits http and https addresses with libcurl's URL parser.
class TCurlURIParser : public IURIParser {
 public:
  TURI Parse(const std::string& text) override;
  std::string EncodeQueryComponent(const std::string& text) override;
};
