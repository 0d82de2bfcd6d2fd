#include "common/http_client.h"

#include "common/text.h"

std::string THttpResponse::HeaderValue(std::string_view name) const {
  for (const auto& [key, value] : Headers)
    if (SameTextAscii(key, name)) return value;
  return {};
}
