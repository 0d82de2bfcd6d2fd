#include "win_test_support.h"

bool IsRunningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TScratchRegistryKey::TScratchRegistryKey(HKEY root, const std::wstring& parent,
                                         const std::wstring& child, REGSAM view)
    : FRoot(root), FParent(parent), FView(view) {
  const std::wstring path = child.empty() ? parent : parent + L"\\" + child;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &FKey,
                      nullptr) != ERROR_SUCCESS)
    FKey = nullptr;
}

TScratchRegistryKey::~TScratchRegistryKey() {
  if (FKey) RegCloseKey(FKey);
  const std::size_t split = FParent.rfind(L'\\');
  const std::wstring above = FParent.substr(0, split);
  const std::wstring name = FParent.substr(split + 1);
  HKEY aboveKey = nullptr;
  if (RegOpenKeyExW(FRoot, above.c_str(), 0, KEY_ALL_ACCESS | FView, &aboveKey) != ERROR_SUCCESS)
    return;
  RegDeleteTreeW(aboveKey, name.c_str());
  RegCloseKey(aboveKey);
}

void TScratchRegistryKey::SetText(const std::wstring& name, const std::wstring& text, DWORD type,
                                  bool withNul) {
  const DWORD bytes = static_cast<DWORD>((text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t));
  RegSetValueExW(FKey, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

void TScratchRegistryKey::SetNumber(const std::wstring& name, DWORD number) {
  RegSetValueExW(FKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
}

bool RegistryKeyExists(HKEY root, const std::wstring& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TScopedEnvironment::TScopedEnvironment(const std::wstring& name, const std::wstring& value)
    : FName(name) {
  const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (size > 0) {
    FOldValue.resize(size);
    FOldValue.resize(GetEnvironmentVariableW(name.c_str(), FOldValue.data(), size));
    FHadValue = true;
  }
  SetEnvironmentVariableW(name.c_str(), value.c_str());
}

TScopedEnvironment::~TScopedEnvironment() {
  SetEnvironmentVariableW(FName.c_str(), FHadValue ? FOldValue.c_str() : nullptr);
}

void THandle::Close() {
  if (IsOpen()) CloseHandle(FHandle);
  FHandle = INVALID_HANDLE_VALUE;
}
