#include "win_launch_files.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "win_text.h"

namespace {

// The text of a Windows error code, without the line end that the system appends.
std::string SystemErrorText(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", length);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "System error " + std::to_string(error);
  return FromWide(message);
}

class THandleWriter : public IFileWriter {
 public:
  explicit THandleWriter(HANDLE file) : FFile(file) {}
  ~THandleWriter() override { Close(); }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 30));
      DWORD written = 0;
      if (FFile == INVALID_HANDLE_VALUE ||
          !WriteFile(FFile, bytes.data(), chunk, &written, nullptr) || written == 0)
        return false;
      bytes.remove_prefix(written);
    }
    return true;
  }
  void Close() override {
    if (FFile != INVALID_HANDLE_VALUE) CloseHandle(FFile);
    FFile = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE FFile;
};

class TExclusiveOpenWatch : public IFileUseWatch {
 public:
  explicit TExclusiveOpenWatch(std::wstring path) : FPath(std::move(path)) {}

  bool IsReleased() override {
    const HANDLE file = CreateFileW(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
  }

 private:
  std::wstring FPath;
};

}  // namespace

bool TWinLaunchFiles::Exists(const std::string& path) {
  return GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TWinLaunchFiles::Delete(const std::string& path) {
  return DeleteFileW(ToWide(path).c_str()) != FALSE;
}

// CREATE_NEW fails for any name that is taken, a link included, so nothing that was there is
// followed or emptied.
std::unique_ptr<IFileWriter> TWinLaunchFiles::Create(const std::string& path) {
  const HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw EFileCreateError("Cannot create file \"" + path + "\". " +
                           SystemErrorText(GetLastError()));
  return std::make_unique<THandleWriter>(file);
}

std::unique_ptr<IFileUseWatch> TWinLaunchFiles::WatchUse(const std::string& path) {
  return std::make_unique<TExclusiveOpenWatch>(ToWide(path));
}
