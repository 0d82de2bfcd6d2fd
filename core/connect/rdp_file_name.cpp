#include "connect/rdp_file_name.h"

#include <string_view>

namespace {

char RandomChar(std::mt19937& random) {
  static constexpr std::string_view kRanges[] = {"0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                                                 "abcdefghijklmnopqrstuvwxyz"};
  const std::string_view range = kRanges[std::uniform_int_distribution<int>(0, 2)(random)];
  return range[std::uniform_int_distribution<size_t>(0, range.size() - 1)(random)];
}

}  // namespace

std::string RandomRDPBaseName(std::mt19937& random) {
  std::string name;
  for (int i = 0; i < 8; ++i) name += RandomChar(random);
  name += '.';
  for (int i = 0; i < 3; ++i) name += RandomChar(random);
  return name;
}

bool IsPlainFileName(const std::string& name) {
  // Longer names fail on common file systems once ".rdp" is added.
  constexpr size_t kMaxNameBytes = 200;
  if (name.size() > kMaxNameBytes || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
    if (std::string_view("/\\<>:\"|?*").find(char(c)) != std::string_view::npos) return false;
  }
  return true;
}
