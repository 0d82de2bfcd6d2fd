#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "common/threads.h"
#include "win_message_window.h"

// A pool of worker threads of its own; destroying it waits for the tasks that still run.
class TWinThreadPool : public IThreadPool {
 public:
  // Its tasks mostly wait for the network, so a slow one should not hold the others up.
  static constexpr int kDefaultMaxThreads = 16;

  explicit TWinThreadPool(int maxThreads = kDefaultMaxThreads);
  ~TWinThreadPool() override;
  TWinThreadPool(const TWinThreadPool&) = delete;
  TWinThreadPool& operator=(const TWinThreadPool&) = delete;

  void Run(std::function<void()> task) override;
  // True when no task runs or waits any more; a negative time-out waits as long as it takes.
  // While it waits, the calling thread answers messages sent to its windows, so that a task
  // waiting for this thread cannot hold it up for ever.
  bool WaitForDone(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

 private:
  void Work();
  bool IsDone();

  const int FMaxThreads;
  std::mutex FMutex;
  std::condition_variable FWake;
  std::deque<std::function<void()>> FQueue;
  std::vector<std::thread> FThreads;
  int FIdleThreads = 0;
  int FBusyThreads = 0;
  bool FStopping = false;
};

// Hands work to the GUI thread, where it was made, and waits for it. After Shutdown, calls return
// without running their work.
class TWinGuiThread : public IGuiThread {
 public:
  TWinGuiThread() = default;
  ~TWinGuiThread() override;
  TWinGuiThread(const TWinGuiThread&) = delete;
  TWinGuiThread& operator=(const TWinGuiThread&) = delete;

  // An error out of `work` reaches the caller.
  void RunAndWait(const std::function<void()>& work) override;
  // GUI thread only: releases the callers that wait for the GUI thread without running their
  // work and turns every later call away.
  void Shutdown();

 private:
  bool IsGone();

  TWinMessageWindow FWindow;
  std::mutex FMutex;
  int FCallers = 0;
  bool FGone = false;
};
