#include "support/shell_stand_in.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

TShellStandIn::TShellStandIn(const std::vector<std::string>& programs, int exitCode,
                             bool keepSystemPath, bool readsFile) {
  const char* path = std::getenv("PATH");
  FOldPath = path ? path : "";
  const std::string rec = FDir.File("calls");
  for (const std::string& program : programs) {
    const std::string script =
        "#!/bin/sh\n"
        "n=$(/usr/bin/wc -l < '" +
        rec +
        "' 2>/dev/null || echo 0)\n"
        "n=${n:-0}\n"
        "for last in \"$@\"; do :; done\n"
        "if " +
        std::string(readsFile ? "" : "false && ") +
        "[ -f \"$last\" ]; then /bin/cat \"$last\" > '" + FDir.File("received-") +
        "'$n; fi\n"
        "line='" +
        program +
        "'\n"
        "for a in \"$@\"; do line=\"$line $a\"; done\n"
        "printf '%s\\n' \"$line\" >> '" +
        rec +
        "'\n"
        "exit " +
        std::to_string(exitCode) + "\n";
    FDir.Write(program, script);
    std::filesystem::permissions(FDir.Path() / program, std::filesystem::perms::owner_all);
  }
  const std::string newPath =
      keepSystemPath ? FDir.Path().string() + ":" + FOldPath : FDir.Path().string();
  setenv("PATH", newPath.c_str(), 1);
}

TShellStandIn::~TShellStandIn() {
  setenv("PATH", FOldPath.c_str(), 1);
}

std::vector<std::string> TShellStandIn::Calls() const {
  std::vector<std::string> calls;
  std::istringstream lines(FDir.Read("calls"));
  for (std::string line; std::getline(lines, line);) calls.push_back(line);
  return calls;
}

std::string TShellStandIn::Received(size_t index) const {
  return FDir.Read("received-" + std::to_string(index));
}

bool TShellStandIn::WaitForCalls(size_t count) const {
  for (int i = 0; i < 200; ++i) {
    if (Calls().size() >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}
