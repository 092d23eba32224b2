// Directory listing (FindFirstFileA/FindNextFileA) and file moves on Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SeamEnvironment.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace {

using kestrel::Tools;

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    std::string base = kestrel::wintest::EnvOr("KESTREL_TEST_DIR", temp);
    dir_ = Tools::JoinPath(base, "files-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    ASSERT_EQ(0, Tools::MakeDirectory(dir_)) << dir_;
  }
  void TearDown() override {
    std::vector<std::string> names;
    Tools::ListDirectory(dir_, names);
    for (const std::string& name : names) {
      std::string path = Tools::JoinPath(dir_, name);
      if (!::DeleteFileA(path.c_str())) ::RemoveDirectoryA(path.c_str());
    }
    ::RemoveDirectoryA(dir_.c_str());
  }
  std::string Path(const char* name) const { return Tools::JoinPath(dir_, name); }
  void Write(const char* name, const std::string& text) {
    ASSERT_EQ(kestrel::kSuccess, Tools::WriteFile(text.data(), text.size(), Path(name), false));
  }
  std::string dir_;
};

TEST_F(WindowsFiles, ListsNamesSortedWithoutDotEntries) {
  Write("kstr_jrn_b", "2");
  Write("kstr_jrn_a", "1");
  Write("B", "3");
  ASSERT_EQ(0, Tools::MakeDirectory(Path("sub")));
  std::vector<std::string> names{"stale"};
  ASSERT_EQ(kestrel::kSuccess, Tools::ListDirectory(dir_, names));
  EXPECT_EQ((std::vector<std::string>{"B", "kstr_jrn_a", "kstr_jrn_b", "sub"}), names);
  // A trailing separator lists the same directory.
  ASSERT_EQ(kestrel::kSuccess, Tools::ListDirectory(dir_ + "\\", names));
  EXPECT_EQ(4u, names.size());
}

TEST_F(WindowsFiles, ListingAMissingDirectoryFailsWithNoNames) {
  std::vector<std::string> names{"stale"};
  EXPECT_EQ(kestrel::kFailure, Tools::ListDirectory(Path("missing"), names));
  EXPECT_TRUE(names.empty());
}

TEST_F(WindowsFiles, MoveNeverReplacesAnExistingFile) {
  Write("from", "new");
  Write("to", "old");
  EXPECT_NE(0, Tools::MoveFile(Path("from"), Path("to")));
  char buffer[3];
  ASSERT_EQ(0, Tools::ReadFile(buffer, sizeof buffer, Path("to")));
  EXPECT_EQ("old", std::string(buffer, 3));
  EXPECT_TRUE(Tools::FileExists(Path("from")));

  EXPECT_EQ(0, Tools::MoveFile(Path("from"), Path("moved")));
  EXPECT_FALSE(Tools::FileExists(Path("from")));
  EXPECT_TRUE(Tools::FileExists(Path("moved")));
  EXPECT_EQ(0, Tools::DeleteFile(Path("moved")));
  EXPECT_NE(0, Tools::DeleteFile(Path("moved")));
}

// From the system's temporary folder on C: to the test folder (on Z: under
// Wine): another volume for Windows, where a move must copy, flush and
// rename into place before the source goes.
TEST_F(WindowsFiles, MoveReachesAnotherVolumeWhole) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string source = Tools::JoinPath(temp, "kstr_move_" + std::to_string(::GetCurrentProcessId()));
  const std::string journal(100000, 'j');
  ASSERT_EQ(kestrel::kSuccess, Tools::WriteFile(journal.data(), journal.size(), source, false));
  ASSERT_EQ(0, Tools::MoveFile(source, Path("moved")));
  EXPECT_FALSE(Tools::FileExists(source));
  EXPECT_FALSE(Tools::FileExists(Path("moved.part")));
  std::string read(journal.size(), '\0');
  ASSERT_EQ(kestrel::kSuccess, Tools::ReadFile(&read[0], read.size(), Path("moved")));
  EXPECT_EQ(journal, read);
  EXPECT_EQ(static_cast<long long>(journal.size()), Tools::FileSize(Path("moved")));
}

TEST(WindowsPaths, JoinWithBackslash) {
  EXPECT_EQ('\\', Tools::PathSeparator());
  EXPECT_EQ("C:\\data\\kstr_jrn_1", Tools::JoinPath("C:\\data", "kstr_jrn_1"));
  EXPECT_EQ("C:\\data\\kstr_jrn_1", Tools::JoinPath("C:\\data\\", "kstr_jrn_1"));
  EXPECT_EQ("kstr_jrn_1", Tools::JoinPath("", "kstr_jrn_1"));
}

}  // namespace
