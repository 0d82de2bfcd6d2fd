// Linux implementation of the launch-file interface in common/launch_files.h.
#include "posix_launch_files.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

class TFdWriter : public IFileWriter {
 public:
  explicit TFdWriter(int fd) : FFd(fd) {}
  ~TFdWriter() override { Close(); }

  bool Write(std::string_view bytes) override {
    while (!bytes.empty()) {
      ssize_t n = ::write(FFd, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(size_t(n));
    }
    return true;
  }
  void Close() override {
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
  }

 private:
  int FFd;
};

class TInotifyWatch : public IFileUseWatch {
 public:
  explicit TInotifyWatch(const std::string& path) {
    FFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd >= 0 && ::inotify_add_watch(FFd, path.c_str(), IN_OPEN | IN_CLOSE) < 0) {
      ::close(FFd);
      FFd = -1;
    }
  }
  ~TInotifyWatch() override {
    if (FFd >= 0) ::close(FFd);
  }

  // Without a watch nothing can be seen, so the file counts as released at once.
  bool IsReleased() override {
    if (FFd < 0) return true;
    ReadEvents();
    return FOpens > 0 && FCloses >= FOpens;
  }

 private:
  void ReadEvents() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      ssize_t n = ::read(FFd, buffer, sizeof buffer);
      if (n <= 0) return;
      for (ssize_t at = 0; at < n;) {
        auto* event = reinterpret_cast<inotify_event*>(buffer + at);
        if (event->mask & IN_OPEN) ++FOpens;
        if (event->mask & IN_CLOSE) ++FCloses;
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    }
  }

  int FFd = -1;
  int FOpens = 0;
  int FCloses = 0;
};

}  // namespace

bool TPosixLaunchFiles::Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool TPosixLaunchFiles::Delete(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

std::unique_ptr<IFileWriter> TPosixLaunchFiles::Create(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    throw EFileCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
  return std::make_unique<TFdWriter>(fd);
}

std::unique_ptr<IFileUseWatch> TPosixLaunchFiles::WatchUse(const std::string& path) {
  return std::make_unique<TInotifyWatch>(path);
}
