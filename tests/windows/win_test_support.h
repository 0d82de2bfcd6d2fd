#pragma once

#include <windows.h>

#include <string>

// True under Wine, whose behaviour some cases pin down where Windows may differ.
bool IsRunningOnWine();

// A registry tree made for one test and deleted with everything in it at the end. `view` is 0,
// KEY_WOW64_32KEY or KEY_WOW64_64KEY.
class TScratchRegistryKey {
 public:
  // Creates `root`\`parent`\`child` (just `parent` when `child` is empty) in `view`; the
  // destructor deletes `parent` with everything in it.
  TScratchRegistryKey(HKEY root, const std::wstring& parent, const std::wstring& child,
                      REGSAM view);
  ~TScratchRegistryKey();
  TScratchRegistryKey(const TScratchRegistryKey&) = delete;
  TScratchRegistryKey& operator=(const TScratchRegistryKey&) = delete;

  bool Created() const { return FKey != nullptr; }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ,
               bool withNul = true);
  void SetNumber(const std::wstring& name, DWORD number);

 private:
  HKEY FRoot;
  std::wstring FParent;
  REGSAM FView;
  HKEY FKey = nullptr;
};

// Whether `root`\`path` can be opened in `view`.
bool RegistryKeyExists(HKEY root, const std::wstring& path, REGSAM view);

// Sets an environment variable for the process and puts the old value back at the end.
class TScopedEnvironment {
 public:
  TScopedEnvironment(const std::wstring& name, const std::wstring& value);
  ~TScopedEnvironment();
  TScopedEnvironment(const TScopedEnvironment&) = delete;
  TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

 private:
  std::wstring FName;
  bool FHadValue = false;
  std::wstring FOldValue;
};

// An open handle, closed at the end.
class THandle {
 public:
  explicit THandle(HANDLE handle = INVALID_HANDLE_VALUE) : FHandle(handle) {}
  ~THandle() { Close(); }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr; }
  void Close();

 private:
  HANDLE FHandle;
};
