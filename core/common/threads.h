#pragma once

#include <functional>

// The toolkit's shared pool of worker threads.
class IThreadPool {
 public:
  virtual ~IThreadPool() = default;
  virtual void Run(std::function<void()> task) = 0;
};

// Runs work on the GUI thread and waits until it is done; called on the GUI thread itself it runs
// the work at once. When the GUI is gone the work is dropped and the call returns.
class IGuiThread {
 public:
  virtual ~IGuiThread() = default;
  virtual void RunAndWait(const std::function<void()>& work) = 0;
};
