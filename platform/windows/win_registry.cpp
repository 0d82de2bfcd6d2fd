#include "win_registry.h"

#include <windows.h>

#include <vector>

#include "win_os_info.h"
#include "win_text.h"

namespace {

HKEY RootKey(TRegistryRoot root) {
  return root == TRegistryRoot::rrLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class TOpenKey {
 public:
  TOpenKey(TRegistryRoot root, const std::string& key, std::uint32_t access) {
    if (RegOpenKeyExW(RootKey(root), ToWide(key).c_str(), 0, access, &FKey) != ERROR_SUCCESS)
      FKey = nullptr;
  }
  ~TOpenKey() {
    if (FKey) RegCloseKey(FKey);
  }
  TOpenKey(const TOpenKey&) = delete;
  TOpenKey& operator=(const TOpenKey&) = delete;

  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};

// The raw bytes of a text value; the value may change between the size query and the read, so the
// read is repeated with the size the registry then asks for.
bool QueryTextBytes(HKEY key, const std::wstring& valueName, std::vector<BYTE>& bytes) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size);
  while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    bytes.resize(size);
    result = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, bytes.data(), &size);
    if (result == ERROR_SUCCESS) {
      bytes.resize(size);
      return type == REG_SZ || type == REG_EXPAND_SZ;
    }
  }
  return false;
}

// Stored texts need not end in a NUL, nor have an even number of bytes.
std::wstring TextOfBytes(const std::vector<BYTE>& bytes) {
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  const std::size_t nul = text.find(L'\0');
  if (nul != text.npos) text.resize(nul);
  return text;
}

}  // namespace

bool TWinRegistry::IsWOW64() {
  return TWinOSInfo::IsWOW64();
}

bool TWinRegistry::KeyExists(TRegistryRoot root, const std::string& key, std::uint32_t access) {
  return TOpenKey(root, key, access).Get() != nullptr;
}

std::string TWinRegistry::ReadText(TRegistryRoot root, const std::string& key,
                                   const std::string& valueName, std::uint32_t access) {
  const TOpenKey opened(root, key, access);
  std::vector<BYTE> bytes;
  if (!opened.Get() || !QueryTextBytes(opened.Get(), ToWide(valueName), bytes)) return {};
  return FromWide(TextOfBytes(bytes));
}
