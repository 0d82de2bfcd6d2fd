#include "win_system_info.h"

#include <windows.h>

#include <string_view>

#include "win_registry.h"
#include "win_text.h"

namespace {

constexpr const char* sCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* sProductNameValue = "ProductName";
constexpr const char* sFallbackProductName = "Windows";
constexpr std::string_view sWindows10 = "Windows 10";
constexpr int kFirstWindows11Build = 22000;

using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);

OSVERSIONINFOEXW RealVersion() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  const HMODULE ntdll = GetModuleHandleW(L"ntdll");
  const auto rtlGetVersion = reinterpret_cast<TRtlGetVersion>(
      reinterpret_cast<void (*)()>(ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr));
  if (rtlGetVersion && rtlGetVersion(&version) == 0) return version;
  version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) version = {};
  return version;
}

// The product name lives in the native view; a 32-bit process would otherwise read the copy
// under Wow6432Node.
std::string RegistryProductName() {
  TWinRegistry registry;
  return registry.ReadText(TRegistryRoot::rrLocalMachine, sCurrentVersionKey, sProductNameValue,
                           kRegistryKeyRead | kRegistryWow64_64Key);
}

// The long form of `path`; the path itself when it cannot be had (the folder does not exist).
std::wstring LongPath(const std::wstring& path) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD length =
        GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return path;
    if (length < buffer.size()) return buffer.substr(0, length);
    buffer.assign(length, L'\0');
  }
}

}  // namespace

std::string TWinSystemInfo::HostName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return FromWide(std::wstring_view(name, size));
}

TOSVersionInfo TWinSystemInfo::OSVersion() {
  const OSVERSIONINFOEXW version = RealVersion();
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  TOSVersionInfo info;
  info.Major = static_cast<int>(version.dwMajorVersion);
  info.Minor = static_cast<int>(version.dwMinorVersion);
  info.Build = static_cast<int>(version.dwBuildNumber);
  info.ServicePackMajor = version.wServicePackMajor;
  info.Is64Bit = IsSixtyFourBitArchitecture(system.wProcessorArchitecture);
  info.ProductName = ProductNameForBuild(RegistryProductName(), info.Build);
  return info;
}

std::string TWinSystemInfo::TempFolder() {
  // The longest answer is MAX_PATH + 1 characters, plus the NUL.
  wchar_t folder[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
  if (length == 0 || length >= MAX_PATH + 2) return {};
  std::wstring path = LongPath(std::wstring(folder, length));
  if (path.back() != L'\\') path += L'\\';
  return FromWide(path);
}

std::string TWinSystemInfo::ProductNameForBuild(const std::string& registryName, int build) {
  if (registryName.empty()) return sFallbackProductName;
  if (build < kFirstWindows11Build || !registryName.starts_with(sWindows10)) return registryName;
  return "Windows 11" + registryName.substr(sWindows10.size());
}

bool TWinSystemInfo::IsSixtyFourBitArchitecture(unsigned architecture) {
  return architecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         architecture == PROCESSOR_ARCHITECTURE_ARM64 ||
         architecture == PROCESSOR_ARCHITECTURE_IA64;
}
