#include "common/app_version_info.h"

#include <nlohmann/json.hpp>
#include <set>

TAppResVersionInfo AppResVersionInfo;

namespace {

std::string Member(const nlohmann::json& object, const char* key) {
  return object.at(key).get<std::string>();
}

TVersion VersionMember(const nlohmann::json& object, const char* key) {
  TVersion version;
  version.VersionFromStr(Member(object, key));
  return version;
}

}  // namespace

TAppResVersionInfo ParseAppResVersionInfo(std::string_view content) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (content.substr(0, kBom.size()) == kBom) content.remove_prefix(kBom.size());
  try {
    // The first of two members with the same key counts; the parser would keep the last.
    std::set<std::string> seenKeys;
    const auto firstMemberWins = [&seenKeys](int depth, nlohmann::json::parse_event_t event,
                                             nlohmann::json& parsed) {
      if (event != nlohmann::json::parse_event_t::key || depth != 1) return true;
      return seenKeys.insert(parsed.get<std::string>()).second;
    };
    const auto object = nlohmann::json::parse(content, firstMemberWins);
    TAppResVersionInfo info;
    info.CompanyName = Member(object, "CompanyName");
    info.FileDescription = Member(object, "FileDescription");
    info.FileVersion = VersionMember(object, "FileVersion");
    info.InternalName = Member(object, "InternalName");
    info.LegalCopyright = Member(object, "LegalCopyright");
    info.LegalTrademarks = Member(object, "LegalTrademarks");
    info.OriginalFilename = Member(object, "OriginalFilename");
    info.ProductName = Member(object, "ProductName");
    info.ProductVersion = VersionMember(object, "ProductVersion");
    info.Comments = Member(object, "Comments");
    info.ProgramID = Member(object, "ProgramID");
    return info;
  } catch (const std::exception&) {
    return {};
  }
}

TAppResVersionInfo LoadAppResVersionInfo(IResources& resources) {
  std::optional<std::string> content = resources.LoadRCData("VersionInfo");
  return content ? ParseAppResVersionInfo(*content) : TAppResVersionInfo{};
}
