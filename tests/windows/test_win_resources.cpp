#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <winver.h>

#include <string>
#include <vector>

#include "common/app_version_info.h"
#include "win_resources.h"
#include "win_text.h"

namespace {

std::wstring OwnExecutable() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::vector<BYTE> OwnVersionBlock() {
  const std::wstring exe = OwnExecutable();
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  if (block.empty() ||
      !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
    block.clear();
  return block;
}

std::string VersionString(std::vector<BYTE>& block, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), (L"\\StringFileInfo\\040904B0\\" + name).c_str(), &value,
                      &length))
    return "(none)";
  return FromWide(static_cast<const wchar_t*>(value));
}

}  // namespace

TEST(WinResourcesTest, VersionInfoResourceIsTheShippedJson) {
  TWinResources resources;
  const std::optional<std::string> content = resources.LoadRCData("VersionInfo");
  ASSERT_TRUE(content);
  EXPECT_EQ(content->substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(resources.LoadRCData("versioninfo"), content);
  EXPECT_EQ(resources.LoadRCData("NoSuchResource"), std::nullopt);

  const TAppResVersionInfo info = LoadAppResVersionInfo(resources);
  EXPECT_EQ(info.FileVersion.AsString(), "1.0.2.38");
  EXPECT_EQ(info.ProductVersion.AsString(), "1.0.0.0");
  EXPECT_EQ(info.ProductName, "Tarrowind Connect");
  EXPECT_EQ(info.OriginalFilename, "VOSTREL.EXE");
}

TEST(WinResourcesTest, VersionBlockCarriesTheSameVersions) {
  std::vector<BYTE> block = OwnVersionBlock();
  ASSERT_FALSE(block.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(0, 1)));
  EXPECT_EQ(fixed->dwFileVersionLS, DWORD(MAKELONG(38, 2)));
  EXPECT_EQ(fixed->dwProductVersionMS, DWORD(MAKELONG(0, 1)));
  EXPECT_EQ(fixed->dwProductVersionLS, DWORD(0));

  TWinResources resources;
  const TAppResVersionInfo info = LoadAppResVersionInfo(resources);
  struct Case {
    const wchar_t* name;
    std::string expected;
  } cases[] = {
      {L"CompanyName", info.CompanyName},
      {L"FileDescription", info.FileDescription},
      {L"FileVersion", "1.0.2.38"},
      {L"InternalName", info.InternalName},
      {L"LegalCopyright", info.LegalCopyright},
      {L"OriginalFilename", "VOSTREL.EXE"},
      {L"ProductName", "Tarrowind Connect"},
      {L"ProductVersion", "1.0.0.0"},
      {L"ProgramID", info.ProgramID},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VersionString(block, c.name), c.expected) << FromWide(c.name);
}

TEST(WinResourcesTest, ManifestAsksForCommonControls6AndPerMonitorDpi) {
  const HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_TRUE(info);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, info)));
  const std::string manifest(bytes, SizeofResource(nullptr, info));
  for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"",
                           "PerMonitorV2", "<dpiAware", "asInvoker"})
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
}
