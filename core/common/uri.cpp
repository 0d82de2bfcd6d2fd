#include "common/uri.h"

bool IsValidURL(IURIParser& parser, const std::string& text) {
  if (text.empty()) return false;
  try {
    parser.Parse(text);
    return true;
  } catch (const EURIParseError&) {
    return false;
  }
}
