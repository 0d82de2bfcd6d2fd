#include "win_threads.h"

#include <algorithm>

namespace {

constexpr DWORD kPumpSliceMillis = 5;

}  // namespace

TWinThreadPool::TWinThreadPool(int maxThreads) : FMaxThreads(std::max(1, maxThreads)) {}

TWinThreadPool::~TWinThreadPool() {
  WaitForDone();
  {
    std::lock_guard lock(FMutex);
    FStopping = true;
  }
  FWake.notify_all();
  for (std::thread& thread : FThreads) thread.join();
}

void TWinThreadPool::Run(std::function<void()> task) {
  {
    std::lock_guard lock(FMutex);
    FQueue.push_back(std::move(task));
    if (FIdleThreads == 0 && static_cast<int>(FThreads.size()) < FMaxThreads)
      FThreads.emplace_back([this] { Work(); });
  }
  FWake.notify_one();
}

void TWinThreadPool::Work() {
  std::unique_lock lock(FMutex);
  for (;;) {
    ++FIdleThreads;
    FWake.wait(lock, [this] { return FStopping || !FQueue.empty(); });
    --FIdleThreads;
    if (FQueue.empty()) return;
    std::function<void()> task = std::move(FQueue.front());
    FQueue.pop_front();
    ++FBusyThreads;
    lock.unlock();
    try {
      task();
    } catch (...) {
      // A task reports its own errors; one that escapes must not end the program.
    }
    task = nullptr;
    lock.lock();
    --FBusyThreads;
  }
}

bool TWinThreadPool::IsDone() {
  std::lock_guard lock(FMutex);
  return FQueue.empty() && FBusyThreads == 0;
}

bool TWinThreadPool::WaitForDone(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!IsDone()) {
    if (timeout.count() >= 0 && std::chrono::steady_clock::now() >= deadline) return false;
    AnswerSentMessages(kPumpSliceMillis);
  }
  return true;
}

TWinGuiThread::~TWinGuiThread() {
  Shutdown();
}

bool TWinGuiThread::IsGone() {
  std::lock_guard lock(FMutex);
  return FGone;
}

void TWinGuiThread::RunAndWait(const std::function<void()>& work) {
  if (FWindow.OnOwnThread()) {
    if (!IsGone()) work();
    return;
  }
  {
    std::lock_guard lock(FMutex);
    if (FGone) return;
    ++FCallers;
  }
  struct TCallerCount {
    TWinGuiThread& Owner;
    ~TCallerCount() {
      std::lock_guard lock(Owner.FMutex);
      --Owner.FCallers;
    }
  } counted{*this};
  FWindow.Run([&] {
    if (!IsGone()) work();
  });
}

void TWinGuiThread::Shutdown() {
  std::unique_lock lock(FMutex);
  FGone = true;
  // A caller counted here has sent its work or is about to; answering it, which now runs
  // nothing, releases it.
  while (FCallers > 0) {
    lock.unlock();
    AnswerSentMessages(kPumpSliceMillis);
    lock.lock();
  }
}
