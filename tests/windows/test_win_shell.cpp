#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/app_open.h"
#include "support/recording_dialogs.h"
#include "support/temp_dir.h"
#include "win_shell.h"
#include "win_test_support.h"
#include "win_text.h"

namespace {

// The real shell, with every request and its answer written down.
class TRecordingShell : public IShell {
 public:
  int Execute(const std::string& verb, const std::string& target) override {
    const int code = FShell.Execute(verb, target);
    FCalls.push_back(verb + " " + std::to_string(code));
    return code;
  }
  // "verb code" for every request, in order.
  const std::vector<std::string>& Calls() const { return FCalls; }

 private:
  TWinShell FShell;
  std::vector<std::string> FCalls;
};

std::string OpenError(const std::string& target, int code) {
  return "There was an error trying to open '" + target +
         "' (ShellExecute ErrCode: " + std::to_string(code) + ")";
}

// A file type of this process's own whose only verb is "open", which runs a command that does
// nothing and ends.
class TScratchFileType {
 public:
  TScratchFileType() {
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    FExtension = L".vostreltest" + id;
    // HKEY_CLASSES_ROOT lays the user's classes over the machine's on Windows; Wine shows the
    // machine's only.
    const HKEY root = IsRunningOnWine() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring className = L"Vostrel.Test" + id;
    FExtensionKey = std::make_unique<TScratchRegistryKey>(root, classes + FExtension, L"", 0);
    FClassKey = std::make_unique<TScratchRegistryKey>(root, classes + className,
                                                      L"shell\\open\\command", 0);
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    FExtensionKey->SetText(L"", className);
    FClassKey->SetText(L"", L"\"" + std::wstring(system) + L"\\cmd.exe\" /c rem \"%1\"");
  }
  bool Registered() const { return FExtensionKey->Created() && FClassKey->Created(); }
  std::string Extension() const { return FromWide(FExtension); }

 private:
  std::wstring FExtension;
  std::unique_ptr<TScratchRegistryKey> FExtensionKey, FClassKey;
};

class WinShellTest : public ::testing::Test {
 protected:
  TTempDir FDir;
  TRecordingShell FShell;
  TRecordingDialogs FDialogs;
};

}  // namespace

TEST_F(WinShellTest, MissingFileAnswersFileNotFoundWithoutSecondAttempt) {
  const std::string file = FDir.File("missing.rdp");
  EXPECT_EQ(TAppOpen::OpenFile(FShell, FDialogs, file, "application/x-rdp", "connect"), 2);
  EXPECT_EQ(FShell.Calls(), std::vector<std::string>{"connect 2"});
  EXPECT_EQ(FDialogs.MessageTexts(), std::vector<std::string>{OpenError(file, 2)});
}

// Wine registers no program for RDP files, as a Windows without a remote-desktop client.
TEST_F(WinShellTest, RdpFileWithoutItsProgram) {
  if (!IsRunningOnWine()) GTEST_SKIP() << "Windows has a program for RDP files";
  const std::string file = FDir.File("Main Office.rdp");
  FDir.Write("Main Office.rdp", "full address:s:127.0.0.1\r\n");
  struct Case {
    const char* verb;
    std::vector<std::string> calls;
  } cases[] = {
      {"connect", {"connect 31", "open 31"}},
      {"open", {"open 31"}},
  };
  for (const Case& c : cases) {
    TRecordingShell shell;
    TRecordingDialogs dialogs;
    EXPECT_EQ(TAppOpen::OpenFile(shell, dialogs, file, "application/x-rdp", c.verb), 31) << c.verb;
    EXPECT_EQ(shell.Calls(), c.calls) << c.verb;
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{OpenError(file, 31)}) << c.verb;
  }
}

TEST_F(WinShellTest, VerbTheTypeLacksFallsBackToOpen) {
  TScratchFileType type;
  ASSERT_TRUE(type.Registered());
  const std::string name = "session" + type.Extension();
  FDir.Write(name, "x");
  const int code = TAppOpen::OpenFile(FShell, FDialogs, FDir.File(name), "", "connect");
  EXPECT_GT(code, 32);
  ASSERT_EQ(FShell.Calls().size(), 2u);
  EXPECT_EQ(FShell.Calls()[0], "connect 31");
  EXPECT_EQ(FShell.Calls()[1], "open " + std::to_string(code));
  EXPECT_EQ(FDialogs.Count(), 0u);
}

TEST_F(WinShellTest, AddressNobodyOpensIsTriedOnce) {
  const std::string url = "vostrel-no-such-scheme://host/path?a=b";
  const int code = TAppOpen::OpenUrl(FShell, FDialogs, url);
  EXPECT_LE(code, 32);
  EXPECT_EQ(FShell.Calls(), std::vector<std::string>{"open " + std::to_string(code)});
  EXPECT_EQ(FDialogs.MessageTexts(), std::vector<std::string>{OpenError(url, code)});
}
