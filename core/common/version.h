#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Version record of four parts, as the version resource and the query's "clientver" carry it.
struct TVersion {
  uint8_t Major = 0;
  uint8_t Minor = 0;
  uint8_t Release = 0;
  uint16_t Build = 0;

  // Splits at "." into at most four pieces; a piece that is not a whole number throws
  // EConvertError. Missing pieces stay 0.
  void VersionFromStr(const std::string& text);
  std::string AsString() const;

  bool operator==(const TVersion&) const = default;
};

struct EConvertError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
