#include "posix_ini_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "ini_text.h"

namespace {

// A file the configuration creates holds an account number, so only its owner may read it.
constexpr mode_t kNewFileMode = 0600;

struct TLoadedFile {
  enum class TState { lfMissing, lfRead, lfUnusable } State = TState::lfUnusable;
  std::string Bytes;
  mode_t Mode = kNewFileMode;
};

class TFileDescriptor {
 public:
  explicit TFileDescriptor(int fd) : FFd(fd) {}
  ~TFileDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  int Get() const { return FFd; }
  // Closing reports write errors that only show up then.
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int FFd;
};

bool ReadAll(int fd, std::string& bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(count));
    if (bytes.size() > TPosixIniFile::kMaxFileBytes) return false;
  }
}

// Only regular files are read: a FIFO or a device named as the configuration file must not block
// or flood the program.
TLoadedFile LoadFile(const std::string& path) {
  TLoadedFile file;
  TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0) {
    if (errno == ENOENT) file.State = TLoadedFile::TState::lfMissing;
    return file;
  }
  struct stat status {};
  if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::size_t>(status.st_size) > TPosixIniFile::kMaxFileBytes ||
      !ReadAll(fd.Get(), file.Bytes))
    return file;
  file.State = TLoadedFile::TState::lfRead;
  file.Mode = status.st_mode & 07777;
  return file;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

// A link is written through, so that it keeps pointing at the configuration.
std::string WriteTarget(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  TFileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Get() >= 0) ::fsync(fd.Get());
}

// The new bytes go to a temporary file in the same folder, which then replaces the old file in one
// step: a crash or a full disk leaves either the old file or the new one, never a part of either.
bool ReplaceFile(const std::string& path, const std::string& bytes, mode_t mode) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  const std::string folder = FolderOf(path);
  std::string temporary = folder + "/." + name + ".XXXXXX";
  TFileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.Get() < 0) return false;
  const bool written = WriteAll(fd.Get(), bytes) && ::fchmod(fd.Get(), mode) == 0 &&
                       ::fsync(fd.Get()) == 0 && fd.Close() &&
                       ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!written) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

std::u16string WithoutSurroundingSpaces(std::u16string_view name) {
  const std::size_t first = name.find_first_not_of(u' ');
  if (first == name.npos) return {};
  return std::u16string(name.substr(first, name.find_last_not_of(u' ') - first + 1));
}

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != text.npos;
}

// A name with other blanks at its ends would be stored, but not found again.
bool IsReadableName(std::u16string_view name) {
  return !HasLineBreak(name) &&
         (name.empty() || (!IsIniBlank(name.front()) && !IsIniBlank(name.back())));
}

bool IsWritableSection(std::u16string_view section) {
  return IsReadableName(section) && section.find(u']') == section.npos;
}

bool IsWritableKey(std::u16string_view key) {
  return IsReadableName(key) && !key.empty() && key.find(u'=') == key.npos && key.front() != u';' &&
         key.front() != u'[';
}

// At most `maxChars` code units, without splitting a surrogate pair.
std::u16string CutToLength(std::u16string text, std::size_t maxChars) {
  if (text.size() <= maxChars) return text;
  std::size_t length = maxChars;
  if (length > 0 && text[length - 1] >= 0xD800 && text[length - 1] < 0xDC00) --length;
  text.resize(length);
  return text;
}

std::u16string WithoutTrailingSpaces(std::u16string text) {
  while (!text.empty() && text.back() == u' ') text.pop_back();
  return text;
}

}  // namespace

std::string TPosixIniFile::ReadString(const std::string& path, const std::string& section,
                                      const std::string& key, const std::string& defaultValue,
                                      std::size_t maxChars) {
  std::u16string value = WithoutTrailingSpaces(Utf8ToUtf16(defaultValue));
  const TLoadedFile file = LoadFile(path);
  if (file.State == TLoadedFile::TState::lfRead) {
    const std::optional<std::u16string> found =
        TIniText(file.Bytes)
            .Find(WithoutSurroundingSpaces(Utf8ToUtf16(section)),
                  WithoutSurroundingSpaces(Utf8ToUtf16(key)));
    if (found) value = *found;
  }
  return Utf16ToUtf8(CutToLength(std::move(value), maxChars));
}

bool TPosixIniFile::WriteString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& value) {
  const std::u16string sectionName = WithoutSurroundingSpaces(Utf8ToUtf16(section));
  const std::u16string keyName = WithoutSurroundingSpaces(Utf8ToUtf16(key));
  const std::u16string valueText = Utf8ToUtf16(value);
  if (HasLineBreak(valueText) || !IsWritableSection(sectionName) || !IsWritableKey(keyName))
    return false;
  const std::string target = WriteTarget(path);
  const TLoadedFile file = LoadFile(target);
  if (file.State == TLoadedFile::TState::lfUnusable) return false;
  const std::optional<std::string> bytes =
      TIniText(file.Bytes).WithValue(sectionName, keyName, IniValueText(valueText));
  return bytes && ReplaceFile(target, *bytes, file.Mode);
}
