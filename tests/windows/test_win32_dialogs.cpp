// The Win32 dialogs, the GUI-thread hand-over, the thread pool and the application's loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "win32_gui_support.h"
#include "win_application.h"
#include "win_dialogs.h"
#include "win_input_dialog.h"
#include "win_threads.h"

using namespace std::chrono_literals;

namespace {

// Runs `call` on a thread of its own while this, the GUI thread, takes messages.
void OnOtherThread(const std::function<void()>& call) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    call();
    done = true;
  });
  const bool finished = PumpUntil([&] { return done.load(); });
  worker.join();
  ASSERT_TRUE(finished);
}

void OnThread(bool otherThread, const std::function<void()>& call) {
  if (otherThread)
    OnOtherThread(call);
  else
    call();
}

TEST(Win32Dialogs, MessagesOfEachKindHaveOnlyOk) {
  struct TCase {
    TMsgDlgType Kind;
    const wchar_t* Caption;
    const wchar_t* Icon;
    bool OtherThread;
  };
  const std::vector<TCase> cases = {
      {TMsgDlgType::mtError, L"Error", IDI_HAND, false},
      {TMsgDlgType::mtWarning, L"Warning", IDI_EXCLAMATION, true},
      {TMsgDlgType::mtInformation, L"Information", IDI_ASTERISK, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.Kind) << " from "
                                    << (c.OtherThread ? "another thread" : "the GUI thread"));
    TWinDialogs dialogs;
    TDialogAnswerer answerer([](HWND box) { PressDialogButton(box, IDOK); });
    OnThread(c.OtherThread, [&] { dialogs.ShowMessage(c.Kind, "First line\r\nsecond line"); });
    ASSERT_EQ(answerer.Answered().size(), 1u);
    const TDialogSnapshot& box = answerer.Answered().front();
    EXPECT_EQ(box.Caption, c.Caption);
    EXPECT_EQ(box.Text, L"First line\r\nsecond line");
    EXPECT_EQ(box.Buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.DefaultButton, IDOK);
    EXPECT_EQ(box.Icon, LoadIconW(nullptr, c.Icon));
    EXPECT_EQ(box.ThreadId, GetCurrentThreadId());
  }
}

TEST(Win32Dialogs, CertificateQuestionDefaultsToNo) {
  for (const int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    TWinDialogs dialogs;
    TDialogAnswerer answerer([answer](HWND box) { PressDialogButton(box, answer); });
    bool yes = !(answer == IDYES);
    OnOtherThread([&] { yes = dialogs.ConfirmWarning("Invalid Certificate! Continue?"); });
    EXPECT_EQ(yes, answer == IDYES);
    ASSERT_EQ(answerer.Answered().size(), 1u);
    const TDialogSnapshot& box = answerer.Answered().front();
    EXPECT_EQ(box.Caption, L"Warning");
    EXPECT_EQ(box.Text, L"Invalid Certificate! Continue?");
    EXPECT_EQ(box.Buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box.DefaultButton, IDNO);
    EXPECT_EQ(box.FocusedButton, IDNO);
    EXPECT_EQ(box.Icon, LoadIconW(nullptr, IDI_EXCLAMATION));
  }
}

TEST(Win32Dialogs, InputGivesTheTypedTextOrTheInitialOne) {
  struct TCase {
    const char* Name;
    int Button;
    const wchar_t* Typed;
    std::string Expected;
    bool OtherThread;
  };
  const std::vector<TCase> cases = {
      {"confirmed", IDOK, L"456", "456", false},
      {"confirmed empty", IDOK, L"", "", true},
      {"confirmed, not ASCII", IDOK, L"K\u00f8benhavn \u6771",
       "K\xc3\xb8"
       "benhavn \xe6\x9d\xb1",
       true},
      {"cancelled", IDCANCEL, L"456", "123", true},
  };
  const std::string prompt =
      "The Account '123' is invalid. Please enter a valid Account to connect.\r\nSecond line";
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TWinDialogs dialogs;
    std::wstring initialShown;
    RECT promptRect{};
    RECT editRect{};
    TDialogAnswerer answerer([&](HWND dialog) {
      initialShown = WindowText(GetDlgItem(dialog, kInputEditId));
      GetWindowRect(GetDlgItem(dialog, kInputPromptId), &promptRect);
      GetWindowRect(GetDlgItem(dialog, kInputEditId), &editRect);
      SetDlgItemTextW(dialog, kInputEditId, c.Typed);
      PressDialogButton(dialog, c.Button);
    });
    std::string answer = "unset";
    OnThread(c.OtherThread, [&] { answer = dialogs.InputQuery("Account", prompt, "123"); });
    EXPECT_EQ(answer, c.Expected);
    ASSERT_EQ(answerer.Answered().size(), 1u);
    const TDialogSnapshot& dialog = answerer.Answered().front();
    EXPECT_EQ(dialog.Caption, L"Account");
    EXPECT_EQ(dialog.Text, std::wstring(prompt.begin(), prompt.end()));
    EXPECT_EQ(dialog.Buttons, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(dialog.DefaultButton, IDOK);
    EXPECT_EQ(initialShown, L"123");
    // The prompt took the lines it needs, above the edit box.
    EXPECT_GT(promptRect.bottom - promptRect.top, 20);
    EXPECT_LE(promptRect.bottom, editRect.top);
  }
}

TEST(Win32GuiThread, RunsWorkOnTheGuiThreadForOtherThreads) {
  TWinGuiThread gui;
  DWORD ranOn = 0;
  OnOtherThread([&] { gui.RunAndWait([&] { ranOn = GetCurrentThreadId(); }); });
  EXPECT_EQ(ranOn, GetCurrentThreadId());

  std::string error;
  OnOtherThread([&] {
    try {
      gui.RunAndWait([] { throw std::runtime_error("from the GUI thread"); });
    } catch (const std::exception& e) {
      error = e.what();
    }
  });
  EXPECT_EQ(error, "from the GUI thread");

  bool ranHere = false;
  gui.RunAndWait([&] { ranHere = true; });
  EXPECT_TRUE(ranHere);
}

TEST(Win32GuiThread, ShutdownReleasesWaitingCallersWithoutRunningTheirWork) {
  TWinGuiThread gui;
  std::atomic<bool> waiting{false};
  std::atomic<bool> returned{false};
  bool ran = false;
  std::thread caller([&] {
    waiting = true;
    gui.RunAndWait([&] { ran = true; });
    returned = true;
  });
  // The GUI thread takes no messages until the caller has certainly sent its work.
  while (!waiting) std::this_thread::yield();
  std::this_thread::sleep_for(100ms);
  gui.Shutdown();
  caller.join();
  EXPECT_TRUE(returned);
  EXPECT_FALSE(ran);

  bool ranLater = false;
  OnOtherThread([&] { gui.RunAndWait([&] { ranLater = true; }); });
  gui.RunAndWait([&] { ranLater = true; });
  EXPECT_FALSE(ranLater);
}

TEST(Win32ThreadPool, RunsEveryTaskOnAFewThreads) {
  TWinThreadPool pool(3);
  std::atomic<int> done{0};
  for (int i = 0; i < 40; ++i)
    pool.Run([&] {
      std::this_thread::sleep_for(2ms);
      ++done;
    });
  pool.Run([] { throw std::runtime_error("a task's own error"); });
  EXPECT_TRUE(pool.WaitForDone(20s));
  EXPECT_EQ(done, 40);
}

TEST(Win32ThreadPool, WaitingOnTheGuiThreadAnswersTasksThatWaitForIt) {
  TWinGuiThread gui;
  TWinThreadPool pool;
  std::atomic<int> handedOver{0};
  for (int i = 0; i < 5; ++i) pool.Run([&] { gui.RunAndWait([&] { ++handedOver; }); });
  EXPECT_TRUE(pool.WaitForDone(20s));
  EXPECT_EQ(handedOver, 5);
}

TEST(Win32ThreadPool, WaitingEndsAtItsTimeOut) {
  TWinThreadPool pool;
  std::atomic<bool> release{false};
  pool.Run([&] {
    while (!release) std::this_thread::sleep_for(1ms);
  });
  EXPECT_FALSE(pool.WaitForDone(50ms));
  release = true;
  EXPECT_TRUE(pool.WaitForDone(20s));
}

TEST(Win32Application, LoopEndsWhenTerminatedFromAnyThread) {
  for (const bool otherThread : {false, true}) {
    SCOPED_TRACE(otherThread ? "another thread" : "the GUI thread");
    TWinApplication app;
    std::thread terminator;
    if (otherThread)
      terminator = std::thread([&] { app.Terminate(); });
    else
      app.Terminate();
    EXPECT_EQ(app.Run(), 0);
    if (terminator.joinable()) terminator.join();
  }
}

int sProbes = 0;

HWND ProbeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_APP) ++sProbes;
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VostrelTestProbe";
  RegisterClassW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
}

TEST(Win32Application, PendingEventsRunAndAQuitIsLeftForTheLoop) {
  TWinApplication app;
  const HWND probe = ProbeWindow();
  sProbes = 0;
  PostMessageW(probe, WM_APP, 0, 0);
  PostMessageW(probe, WM_APP, 0, 0);
  PostQuitMessage(7);
  PostMessageW(probe, WM_APP, 0, 0);
  app.ProcessPendingEvents();
  EXPECT_EQ(sProbes, 3);  // a quit waits until no other message does
  EXPECT_EQ(app.Run(), 7);
  DestroyWindow(probe);
}

TEST(Win32Application, DestroyingTheMainWindowEndsTheLoop) {
  TWinApplication app;
  const HWND other =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  const HWND main =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  app.SetMainWindow(main);
  app.WindowDestroyed(other);
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  app.WindowDestroyed(main);
  EXPECT_EQ(app.MainWindow(), nullptr);
  EXPECT_EQ(app.Run(), 0);
  DestroyWindow(other);
  DestroyWindow(main);
}

}  // namespace
