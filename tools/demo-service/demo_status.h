#pragma once

#include <optional>
#include <string>
#include <vector>

// The statuses this service reports, from best to worst. Ids grow with severity, as the program
// expects; every status has a banner image.
struct TDemoStatus {
  std::string Key;  // how scenarios name it: "ok", "degraded", "down"
  int Id = 0;
  std::string Name;     // the status name in answers
  std::string Word;     // written on its banner
  unsigned Colour = 0;  // banner background, 0xRRGGBB
};

const std::vector<TDemoStatus>& DemoStatuses();
std::optional<TDemoStatus> DemoStatusByKey(const std::string& key);

// Thresholds the answers carry unless a scenario says otherwise: "ok" is ok, "down" has failed.
constexpr int kDemoStatusOkId = 1;
constexpr int kDemoStatusFailId = 5;

// The banner of the status as a PNG file.
std::string StatusBannerPng(const TDemoStatus& status);
