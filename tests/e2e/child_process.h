#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A program run as a child process: the test's environment with some variables replaced, no
// input, and its standard output and error together in one file. A child still running when the
// object goes is killed.
class TChildProcess {
 public:
  TChildProcess(const std::vector<std::string>& argv,
                const std::map<std::string, std::string>& environment,
                const std::string& outputFile);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // The exit status once the child has ended within `bound`; nothing while it still runs. A child
  // ended by a signal gives 128 plus the signal's number.
  std::optional<int> WaitForExit(std::chrono::milliseconds bound);
  // Asks the child to end (SIGTERM) and waits for it; killed when it does not end in time.
  void Stop();

 private:
  pid_t FPid = -1;
  std::optional<int> FExit;
};
