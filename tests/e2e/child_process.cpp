#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

constexpr std::chrono::milliseconds kPoll{20};
constexpr std::chrono::milliseconds kStopBound{5000};

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& replaced) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    const std::string text = *entry;
    if (!replaced.count(text.substr(0, text.find('=')))) result.push_back(text);
  }
  for (const auto& [name, value] : replaced) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

TChildProcess::TChildProcess(const std::vector<std::string>& argv,
                             const std::map<std::string, std::string>& environment,
                             const std::string& outputFile) {
  std::vector<std::string> args = argv;
  std::vector<std::string> env = EnvironmentWith(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const int failed = posix_spawn(&FPid, args[0].c_str(), &actions, nullptr, Pointers(args).data(),
                                 Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed) throw std::runtime_error("cannot start " + args[0]);
}

TChildProcess::~TChildProcess() {
  if (!FExit && FPid > 0) {
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
  }
}

std::optional<int> TChildProcess::WaitForExit(std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  while (!FExit) {
    int status = 0;
    const pid_t done = ::waitpid(FPid, &status, WNOHANG);
    if (done == FPid)
      FExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    else if (std::chrono::steady_clock::now() >= deadline)
      break;
    else
      std::this_thread::sleep_for(kPoll);
  }
  return FExit;
}

void TChildProcess::Stop() {
  if (FExit) return;
  ::kill(FPid, SIGTERM);
  if (!WaitForExit(kStopBound)) {
    ::kill(FPid, SIGKILL);
    WaitForExit(kStopBound);
  }
}
