#include "qt_threads.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <exception>

TQtThreadPool::TQtThreadPool(int maxThreads) {
  FPool.setMaxThreadCount(maxThreads);
}

TQtThreadPool::~TQtThreadPool() {
  FPool.waitForDone();
}

void TQtThreadPool::Run(std::function<void()> task) {
  FPool.start([task = std::move(task)] {
    try {
      task();
    } catch (...) {
      // A task reports its own errors; one that escapes must not end the program.
    }
  });
}

bool TQtThreadPool::WaitForDone(std::chrono::milliseconds timeout) {
  return FPool.waitForDone(static_cast<int>(timeout.count()));
}

TQtGuiThread::TQtGuiThread() : FContext(std::make_unique<QObject>()) {}

TQtGuiThread::~TQtGuiThread() {
  Shutdown();
}

bool TQtGuiThread::IsGone() {
  std::lock_guard lock(FMutex);
  return FGone;
}

void TQtGuiThread::RunAndWait(const std::function<void()>& work) {
  if (QThread::currentThread() == FContext->thread()) {
    if (!IsGone()) work();
    return;
  }
  {
    std::lock_guard lock(FMutex);
    if (FGone) return;
    ++FCallers;
  }
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      FContext.get(),
      [&] {
        try {
          if (!IsGone()) work();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  {
    std::lock_guard lock(FMutex);
    --FCallers;
  }
  FIdle.notify_all();
  if (error) std::rethrow_exception(error);
}

void TQtGuiThread::Shutdown() {
  std::unique_lock lock(FMutex);
  FGone = true;
  // A caller counted here has posted its work or is about to; running the posted work, which now
  // does nothing, releases it.
  while (FCallers > 0) {
    lock.unlock();
    QCoreApplication::sendPostedEvents(FContext.get(), QEvent::MetaCall);
    lock.lock();
    FIdle.wait_for(lock, std::chrono::milliseconds(1), [this] { return FCallers == 0; });
  }
}
