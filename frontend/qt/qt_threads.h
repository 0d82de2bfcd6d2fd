#pragma once

#include <QObject>
#include <QThreadPool>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "common/threads.h"

// A pool of worker threads of its own; destroying it waits for the tasks that still run.
class TQtThreadPool : public IThreadPool {
 public:
  // Its tasks mostly wait for the network, so a slow one should not hold the others up.
  static constexpr int kDefaultMaxThreads = 16;

  explicit TQtThreadPool(int maxThreads = kDefaultMaxThreads);
  ~TQtThreadPool() override;
  TQtThreadPool(const TQtThreadPool&) = delete;
  TQtThreadPool& operator=(const TQtThreadPool&) = delete;

  void Run(std::function<void()> task) override;
  // True when no task runs any more; a negative time-out waits as long as it takes.
  bool WaitForDone(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

 private:
  QThreadPool FPool;
};

// Hands work to the GUI thread, where it was created, and waits for it. After Shutdown, calls
// return without running their work.
class TQtGuiThread : public IGuiThread {
 public:
  TQtGuiThread();
  ~TQtGuiThread() override;
  TQtGuiThread(const TQtGuiThread&) = delete;
  TQtGuiThread& operator=(const TQtGuiThread&) = delete;

  // An error out of `work` reaches the caller.
  void RunAndWait(const std::function<void()>& work) override;
  // GUI thread only: drops the work that waits for the GUI thread, releases its callers and turns
  // every later call away.
  void Shutdown();

 private:
  bool IsGone();

  std::unique_ptr<QObject> FContext;
  std::mutex FMutex;
  std::condition_variable FIdle;
  int FCallers = 0;
  bool FGone = false;
};
