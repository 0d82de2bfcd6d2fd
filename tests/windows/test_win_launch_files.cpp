#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/temp_dir.h"
#include "win_launch_files.h"
#include "win_test_support.h"
#include "win_text.h"

namespace {

class WinLaunchFilesTest : public ::testing::Test {
 protected:
  // A closed file with some content, as a launch leaves it before handing it to the shell.
  std::string LaunchFile(const std::string& name) {
    const std::string path = FDir.File(name);
    std::unique_ptr<IFileWriter> writer = FFiles.Create(path);
    EXPECT_TRUE(writer->Write("full address:s:127.0.0.1\r\n"));
    writer->Close();
    return path;
  }
  HANDLE Open(const std::string& path, DWORD access, DWORD share) {
    return CreateFileW(ToWide(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  TTempDir FDir;
  TWinLaunchFiles FFiles;
};

}  // namespace

TEST_F(WinLaunchFilesTest, CreatesWritesAndDeletes) {
  const std::string path = FDir.File("Main Office.rdp");
  EXPECT_FALSE(FFiles.Exists(path));
  std::unique_ptr<IFileWriter> writer = FFiles.Create(path);
  EXPECT_TRUE(writer->Write("abc"));
  EXPECT_TRUE(writer->Write(std::string(100000, 'x')));
  EXPECT_TRUE(writer->Write(""));
  writer->Close();
  EXPECT_FALSE(writer->Write("after close"));
  EXPECT_EQ(ReadFileBytes(path), "abc" + std::string(100000, 'x'));
  EXPECT_TRUE(FFiles.Exists(path));
  EXPECT_TRUE(FFiles.Delete(path));
  EXPECT_FALSE(FFiles.Exists(path));
  EXPECT_FALSE(FFiles.Delete(path));
}

TEST_F(WinLaunchFilesTest, AFileThatIsThereIsNeverEmptied) {
  FDir.Write("taken.rdp", "somebody's");
  EXPECT_THROW(FFiles.Create(FDir.File("taken.rdp")), EFileCreateError);
  EXPECT_EQ(FDir.Read("taken.rdp"), "somebody's");
  try {
    FFiles.Create(FDir.File("taken.rdp"));
  } catch (const EFileCreateError& error) {
    EXPECT_EQ(std::string(error.what())
                  .rfind("Cannot create file \"" + FDir.File("taken.rdp") + "\". ", 0),
              0u)
        << error.what();
  }
  EXPECT_THROW(FFiles.Create(FDir.File("no such folder\\x.rdp")), EFileCreateError);
  EXPECT_THROW(FFiles.Create(FDir.Path().string()), EFileCreateError);
}

TEST_F(WinLaunchFilesTest, UnicodeNames) {
  const std::string path = FromWide(ToWide(FDir.File("")) + L"Zoë 雪.rdp");
  FFiles.Create(path)->Close();
  EXPECT_NE(GetFileAttributesW(ToWide(path).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(FFiles.Exists(path));
  EXPECT_TRUE(FFiles.Delete(path));
}

// The file is released once nobody holds it with access to its data.
TEST_F(WinLaunchFilesTest, ReleasedOnceNoOtherHandleHasDataAccess) {
  struct Case {
    const char* name;
    DWORD access, share;
    bool released;
  } cases[] = {
      {"held for reading, no sharing", GENERIC_READ, 0, false},
      {"held for reading, sharing everything", GENERIC_READ,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
      {"held for writing, sharing reading", GENERIC_WRITE, FILE_SHARE_READ, false},
      {"held without data access", FILE_READ_ATTRIBUTES,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
  };
  int number = 0;
  for (const Case& c : cases) {
    const std::string path = LaunchFile("launch" + std::to_string(++number) + ".rdp");
    std::unique_ptr<IFileUseWatch> watch = FFiles.WatchUse(path);
    EXPECT_TRUE(watch->IsReleased()) << c.name << ": before";
    THandle holder(Open(path, c.access, c.share));
    ASSERT_TRUE(holder.IsOpen()) << c.name;
    EXPECT_EQ(watch->IsReleased(), c.released) << c.name;
    holder.Close();
    EXPECT_TRUE(watch->IsReleased()) << c.name << ": closed";
  }
}

TEST_F(WinLaunchFilesTest, HeldFileCannotBeDeletedAndGoneFileIsNotReleased) {
  const std::string path = LaunchFile("held.rdp");
  std::unique_ptr<IFileUseWatch> watch = FFiles.WatchUse(path);
  {
    THandle holder(Open(path, GENERIC_READ, 0));
    ASSERT_TRUE(holder.IsOpen());
    EXPECT_FALSE(FFiles.Delete(path));
    EXPECT_TRUE(FFiles.Exists(path));
  }
  EXPECT_TRUE(FFiles.Delete(path));
  EXPECT_FALSE(watch->IsReleased());
  EXPECT_FALSE(FFiles.Exists(path));
}
