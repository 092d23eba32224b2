// The file seam: every operation that changes the disk asks the hook first,
// and one it refuses leaves the disk exactly as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/JournalStorage.h"
#include "tests/support/TestProfile.h"
#include "tools/FileHook.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

using file_hook::FileOperation;

std::vector<FileOperation> g_asked;

int RefuseEverything(FileOperation operation, const std::string&, const void*, std::size_t) {
  g_asked.push_back(operation);
  return 5;
}

class FileHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_asked.clear();
    WriteWholeFile(Path("kept"), "old");
    file_hook::SetHook(&RefuseEverything);
  }
  void TearDown() override { file_hook::SetHook(nullptr); }
  std::string Path(const std::string& name) { return profile_.Dir() + "/" + name; }

  TestProfile profile_;
};

TEST_F(FileHookTest, RefusedOperationsLeaveTheDiskAsItWas) {
  EXPECT_EQ(Tools::WriteFile("new", 3, Path("kept"), false), kFailure);
  EXPECT_EQ(Tools::WriteFile("new", 3, Path("kept"), true), kFailure);
  EXPECT_EQ(Tools::WriteFile("new", 3, Path("created"), false), kFailure);
  EXPECT_EQ(Tools::DeleteFile(Path("kept")), 5);
  EXPECT_EQ(Tools::MoveFile(Path("kept"), Path("moved")), 5);
  EXPECT_EQ(journal_storage::RenameReplacing(Path("kept"), Path("renamed")), 5);
  EXPECT_EQ(journal_storage::ReplaceFileContent(Path("kept"), "new", 3), kFailure);

  EXPECT_EQ(ReadWholeFile(Path("kept")), "old");
  for (const char* name : {"created", "moved", "renamed", "kept.new"}) {
    EXPECT_FALSE(Tools::FileExists(Path(name))) << name;
  }
  // The replace stops at its staged write; the clean-up delete asks too.
  EXPECT_EQ(g_asked, (std::vector<FileOperation>{FileOperation::kWrite, FileOperation::kAppend, FileOperation::kWrite,
                                                 FileOperation::kDelete, FileOperation::kMove, FileOperation::kReplace,
                                                 FileOperation::kWrite, FileOperation::kDelete}));
}

TEST_F(FileHookTest, AnEmptyWriteTouchesNothingAndAsksNothing) {
  EXPECT_EQ(Tools::WriteFile("", 0, Path("kept"), false), kSuccess);
  EXPECT_TRUE(g_asked.empty());
  EXPECT_EQ(ReadWholeFile(Path("kept")), "old");
}

}  // namespace
}  // namespace kestrel::testing
