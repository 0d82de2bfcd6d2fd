#pragma once

#include <chrono>
#include <string>

#include "common/shell.h"

// The Linux shell: "open" goes to xdg-open, "connect" to an installed RDP client.
class TXdgShell : public IShell {
 public:
  // xdg-open hands over to the desktop's opener and normally returns at once; on some desktops it
  // runs the handler itself until that ends, so it is not waited for longer than this.
  static constexpr std::chrono::milliseconds kOpenerWait{5000};

  explicit TXdgShell(std::chrono::milliseconds openerWait = kOpenerWait)
      : FOpenerWait(openerWait) {}

  int Execute(const std::string& verb, const std::string& target) override;

  // The program of that name in one of the folders of $PATH, or empty.
  static std::string FindOnPath(const std::string& program);

 private:
  int Open(const std::string& target);
  int Connect(const std::string& file);

  std::chrono::milliseconds FOpenerWait;
};
