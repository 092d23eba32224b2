// Whole-file reads and writes and the directory operations.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/tools/ToolsFixture.h"
#include "tools/FileHook.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

using FilesTest = ToolsFileTest;

TEST_F(FilesTest, WriteOfNothingTouchesNothing) {
  EXPECT_EQ(kSuccess, Tools::WriteFile("", 0, Path("new.txt"), false));
  EXPECT_FALSE(Tools::FileExists(Path("new.txt")));
  Put("old.txt", "keep");
  EXPECT_EQ(kSuccess, Tools::WriteFile("", 0, Path("old.txt"), false));
  EXPECT_EQ(kSuccess, Tools::WriteFile(nullptr, 0, Path("old.txt"), true));
  EXPECT_EQ("keep", Read("old.txt"));
}

TEST_F(FilesTest, WriteOverwritesOrAppendsBytesUnchanged) {
  const std::string bytes("a\r\nb\x1A\0c\xFF", 8);
  EXPECT_EQ(kSuccess, Tools::WriteFile(bytes.data(), bytes.size(), Path("f.bin"), false));
  EXPECT_EQ(bytes, Read("f.bin"));
  EXPECT_EQ(kSuccess, Tools::WriteFile("xy", 2, Path("f.bin"), true));
  EXPECT_EQ(bytes + "xy", Read("f.bin"));
  EXPECT_EQ(kSuccess, Tools::WriteFile("z", 1, Path("f.bin"), false));
  EXPECT_EQ("z", Read("f.bin"));
}

TEST_F(FilesTest, WriteThatCannotOpenFails) {
  EXPECT_EQ(kFailure, Tools::WriteFile("x", 1, Path("no/such/dir.txt"), false));
  EXPECT_EQ(kFailure, Tools::WriteFile("x", 1, profile_.Dir(), false));  // a directory
  EXPECT_EQ(kFailure, Tools::WriteFile("x", 1, "", true));
  EXPECT_EQ(kFailure, Tools::WriteFile(nullptr, 1, Path("null.txt"), true));
}

TEST_F(FilesTest, ReadOfShortFileKeepsWhatWasReadAndZeroesTheRest) {
  Put("five.txt", "12345");
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(kFailure, Tools::ReadFile(buffer, 15, Path("five.txt")));
  EXPECT_EQ(std::string("12345") + std::string(10, '\0'), std::string(buffer, 15));
  EXPECT_EQ('x', buffer[15]);  // nothing past the size is touched
}

TEST_F(FilesTest, ReadOfExactlyTheSizeSucceeds) {
  Put("five.txt", std::string("1\0\r\n\x1A", 5));
  char buffer[6] = {};
  EXPECT_EQ(kSuccess, Tools::ReadFile(buffer, 5, Path("five.txt")));
  EXPECT_EQ(std::string("1\0\r\n\x1A", 5), std::string(buffer, 5));
  // A longer file delivers its first bytes.
  EXPECT_EQ(kSuccess, Tools::ReadFile(buffer, 2, Path("five.txt")));
  EXPECT_EQ(std::string("1\0", 2), std::string(buffer, 2));
}

TEST_F(FilesTest, ReadOfMissingFileClearsTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(kFailure, Tools::ReadFile(buffer, sizeof buffer, Path("missing.txt")));
  EXPECT_EQ(std::string(8, '\0'), std::string(buffer, 8));
  EXPECT_EQ(kFailure, Tools::ReadFile(nullptr, 4, Path("missing.txt")));
}

TEST_F(FilesTest, ExistenceOfFilesAndDirectories) {
  Put("file.txt", "x");
  EXPECT_TRUE(Tools::FileExists(Path("file.txt")));
  EXPECT_FALSE(Tools::FileExists(Path("missing.txt")));
  EXPECT_FALSE(Tools::FileExists(profile_.Dir()));
  EXPECT_FALSE(Tools::FileExists(""));
  EXPECT_TRUE(Tools::DirectoryExists(profile_.Dir()));
  EXPECT_FALSE(Tools::DirectoryExists(Path("file.txt")));
  EXPECT_FALSE(Tools::DirectoryExists(Path("missing")));
  EXPECT_FALSE(Tools::DirectoryExists(""));
}

TEST_F(FilesTest, MakeDirectoryCreatesOneLevel) {
  EXPECT_EQ(0, Tools::MakeDirectory(Path("sub")));
  EXPECT_TRUE(Tools::DirectoryExists(Path("sub")));
  EXPECT_LT(Tools::MakeDirectory(Path("sub")), 0);  // already there
  EXPECT_LT(Tools::MakeDirectory(Path("a/b")), 0);  // parent missing
  EXPECT_LT(Tools::MakeDirectory(""), 0);
}

TEST_F(FilesTest, MoveNeverReplacesAnExistingTarget) {
  Put("from.txt", "journal");
  Put("to.txt", "saved before");
  EXPECT_NE(0, Tools::MoveFile(Path("from.txt"), Path("to.txt")));
  EXPECT_EQ("journal", Read("from.txt"));
  EXPECT_EQ("saved before", Read("to.txt"));

  EXPECT_EQ(0, Tools::MoveFile(Path("from.txt"), Path("moved.txt")));
  EXPECT_FALSE(Tools::FileExists(Path("from.txt")));
  EXPECT_EQ("journal", Read("moved.txt"));

  EXPECT_NE(0, Tools::MoveFile(Path("from.txt"), Path("again.txt")));  // source gone
  EXPECT_FALSE(Tools::FileExists(Path("again.txt")));
}

// Moves between two volumes, played through the file seam: the in-place
// rename answers "another volume", as rename() does across file systems.
struct VolumeSeam {
  static std::vector<std::pair<file_hook::FileOperation, std::string>>& Seen() {
    static std::vector<std::pair<file_hook::FileOperation, std::string>> seen;
    return seen;
  }
  static int& FailAt() {
    static int failAt = 0;
    return failAt;
  }
  static int Hook(file_hook::FileOperation operation, const std::string& path, const void*, std::size_t) {
    Seen().emplace_back(operation, path.substr(path.find_last_of('/') + 1));
    if (static_cast<int>(Seen().size()) == FailAt()) return 28;  // no space left
    return operation == file_hook::FileOperation::kRename ? file_hook::kOtherVolume : 0;
  }
  VolumeSeam() {
    Seen().clear();
    FailAt() = 0;
    file_hook::SetHook(&Hook);
  }
  ~VolumeSeam() { file_hook::SetHook(nullptr); }
};

TEST_F(FilesTest, AMoveBetweenVolumesBuildsTheTargetWholeBeforeTheSourceGoes) {
  const std::string journal(200000, 'j');  // more than one piece of the copy
  Put("from.txt", journal);
  {
    VolumeSeam seam;
    ASSERT_EQ(0, Tools::MoveFile(Path("from.txt"), Path("to.txt")));
    using Op = file_hook::FileOperation;
    const std::vector<std::pair<Op, std::string>> expected = {{Op::kMove, "from.txt"},
                                                              {Op::kRename, "from.txt"},
                                                              {Op::kWrite, "to.txt.part"},
                                                              {Op::kMove, "to.txt.part"},
                                                              {Op::kDelete, "from.txt"}};
    EXPECT_EQ(VolumeSeam::Seen(), expected);
  }
  EXPECT_EQ(journal, Read("to.txt"));
  EXPECT_FALSE(Tools::FileExists(Path("from.txt")));
  EXPECT_FALSE(Tools::FileExists(Path("to.txt.part")));

  // An existing target is refused before anything is copied.
  Put("again.txt", "new");
  VolumeSeam seam;
  EXPECT_NE(0, Tools::MoveFile(Path("again.txt"), Path("to.txt")));
  EXPECT_EQ(journal, Read("to.txt"));
  EXPECT_EQ("new", Read("again.txt"));
}

// Whichever step of the copy fails (a full disk, a refused rename, a source
// that cannot be removed), the source stays whole and no target is left.
TEST_F(FilesTest, AMoveBetweenVolumesThatFailsAtAnyStepKeepsTheSourceAlone) {
  for (int step = 3; step <= 5; ++step) {
    SCOPED_TRACE(step);
    Put("from.txt", "journal");
    {
      VolumeSeam seam;
      VolumeSeam::FailAt() = step;
      EXPECT_NE(0, Tools::MoveFile(Path("from.txt"), Path("to.txt")));
    }
    EXPECT_EQ("journal", Read("from.txt"));
    EXPECT_FALSE(Tools::FileExists(Path("to.txt")));
    EXPECT_FALSE(Tools::FileExists(Path("to.txt.part")));
  }
}

TEST_F(FilesTest, ARangeOfAFileCopiesAndChecksAsAFileOfItsOwn) {
  const std::string bytes = "head\r\ntail\r\n\x1A after";
  Put("whole.txt", bytes);
  EXPECT_EQ(0, Tools::CopyFileRange(Path("whole.txt"), 6, bytes.size(), Path("tail.txt")));
  EXPECT_EQ(bytes.substr(6), Read("tail.txt"));
  EXPECT_EQ(Tools::FileSize(Path("tail.txt")), static_cast<long long>(bytes.size() - 6));
  EXPECT_EQ(Tools::FileSize(Path("missing.txt")), -1);
  unsigned char fromOffset[4];
  unsigned char ofTail[4];
  Tools::FileCheckCode(Path("whole.txt"), 6, fromOffset);
  Tools::FileCheckCode(Path("tail.txt"), ofTail);
  EXPECT_EQ(0, std::memcmp(fromOffset, ofTail, 4));
  // Past the end: the code of nothing.
  Tools::FileCheckCode(Path("whole.txt"), 1000, fromOffset);
  const unsigned char empty[4] = {0xFE, 0x00, 0xFE, 0x00};
  EXPECT_EQ(0, std::memcmp(fromOffset, empty, 4));
  // A range past the end is refused and leaves no file.
  EXPECT_NE(0, Tools::CopyFileRange(Path("whole.txt"), 0, 1000, Path("short.txt")));
  EXPECT_FALSE(Tools::FileExists(Path("short.txt")));
}

TEST_F(FilesTest, DeleteRemovesOnce) {
  Put("gone.txt", "x");
  EXPECT_EQ(0, Tools::DeleteFile(Path("gone.txt")));
  EXPECT_FALSE(Tools::FileExists(Path("gone.txt")));
  EXPECT_NE(0, Tools::DeleteFile(Path("gone.txt")));
}

TEST_F(FilesTest, ListDirectoryGivesSortedNamesWithoutDots) {
  ASSERT_EQ(0, Tools::MakeDirectory(Path("list")));
  Put("list/b.txt", "x");
  Put("list/a.txt", "x");
  ASSERT_EQ(0, Tools::MakeDirectory(Path("list/sub")));
  std::vector<std::string> names = {"stale"};
  EXPECT_EQ(kSuccess, Tools::ListDirectory(Path("list"), names));
  std::vector<std::string> expected = {"a.txt", "b.txt", "sub"};
  EXPECT_EQ(expected, names);

  EXPECT_EQ(kSuccess, Tools::ListDirectory(Path("list/sub"), names));
  EXPECT_TRUE(names.empty());
  names = {"stale"};
  EXPECT_EQ(kFailure, Tools::ListDirectory(Path("missing"), names));
  EXPECT_TRUE(names.empty());
}

TEST(JoinPath, AddsOneSeparator) {
  const std::string sep(1, Tools::PathSeparator());
  EXPECT_EQ("dir" + sep + "name", Tools::JoinPath("dir", "name"));
  EXPECT_EQ("dir" + sep + "name", Tools::JoinPath("dir" + sep, "name"));
  EXPECT_EQ("dir/name", Tools::JoinPath("dir/", "name"));
  EXPECT_EQ("name", Tools::JoinPath("", "name"));
}

}  // namespace
}  // namespace kestrel::testing
