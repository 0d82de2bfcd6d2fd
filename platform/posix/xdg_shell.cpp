// Linux implementation of the shell interface in common/shell.h.
#include "xdg_shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// How xdg-open's exit status reads as a shell result code.
int ShellCodeOfOpenerExit(int status) {
  switch (status) {
    case 0:
      return shellcode::kLaunched;
    case 2:  // the file does not exist
      return shellcode::kFileNotFound;
    case 3:  // a required tool is missing
    case 4:  // no handler could open it
      return shellcode::kNoAssociation;
    case 5:  // no permission to read the file
      return shellcode::kAccessDenied;
    default:
      return shellcode::kOutOfResources;
  }
}

bool IsAddress(const std::string& target) {
  return target.find("://") != std::string::npos;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

pid_t Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  return pid;
}

// Collects the child's exit status in the background, so that no zombie is left behind.
void ReapLater(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    ::waitpid(pid, &status, 0);
  }).detach();
}

// Waits up to `bound` for the child; -1 when it is still running.
int WaitExit(pid_t pid, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    int status = 0;
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    if (done < 0) return 128;
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

std::string TXdgShell::FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t colon = folders.find(':', start);
    std::string folder = folders.substr(start, colon == std::string::npos ? colon : colon - start);
    if (!folder.empty()) {
      std::string candidate = folder + "/" + program;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

int TXdgShell::Execute(const std::string& verb, const std::string& target) {
  if (verb == "open") return Open(target);
  if (verb == "connect") return Connect(target);
  return shellcode::kNoAssociation;
}

int TXdgShell::Open(const std::string& target) {
  if (!IsAddress(target) && !FileExists(target)) return shellcode::kFileNotFound;
  const std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) return shellcode::kNoAssociation;
  pid_t pid = Spawn({opener, target});
  if (pid < 0) return shellcode::kOutOfResources;
  int status = WaitExit(pid, FOpenerWait);
  if (status < 0) {
    ReapLater(pid);
    return shellcode::kLaunched;
  }
  return ShellCodeOfOpenerExit(status);
}

int TXdgShell::Connect(const std::string& file) {
  if (!FileExists(file)) return shellcode::kFileNotFound;
  std::vector<std::string> argv;
  for (const char* client : {"xfreerdp3", "sdl-freerdp3", "xfreerdp"}) {
    std::string found = FindOnPath(client);
    if (!found.empty()) {
      argv = {found, file};
      break;
    }
  }
  if (argv.empty()) {
    std::string remmina = FindOnPath("remmina");
    if (remmina.empty()) return shellcode::kNoAssociation;
    argv = {remmina, "-c", file};
  }
  pid_t pid = Spawn(argv);
  if (pid < 0) return shellcode::kOutOfResources;
  ReapLater(pid);
  return shellcode::kLaunched;
}
