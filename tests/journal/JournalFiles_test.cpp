#include <cstring>
#include <string>

#include "tests/journal/JournalFixture.h"

namespace kestrel::testing {
namespace {

std::string Hex(const unsigned char* bytes, std::size_t count) {
  std::string text;
  char digits[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
    text += digits;
  }
  return text;
}

using JournalFilesTest = JournalTest;

// The paths as the service's first open finds them.
class JournalPathsTest : public JournalTest {
 protected:
  JournalPathsTest() : JournalTest(false) {}
};

TEST_F(JournalPathsTest, DataDirectoryTooLongForAPathLeavesPathsEmptyUntilCorrected) {
  // The longest name, "kstr_jrn_eod_content.txt", plus a separator: 25 characters.
  profile_.Set("DataDirectory", std::string(276, 'd'));
  EXPECT_EQ(kFailure, journal_.LoadPaths());
  EXPECT_EQ("", journal_.PathOf(JournalFile::kEodContent));
  char bytes[] = "x";
  EXPECT_EQ(kFailure, journal_.AppendTmp(bytes, 1, Journal::kText));
  EXPECT_EQ(kFailure, journal_.UpdateReceiptNumber(5));
  EXPECT_EQ(kFailure, journal_.UpdateEOD("", true));
  EXPECT_EQ(kFailure, journal_.SaveJournal(File("saved").c_str(), Journal::kText));
  unsigned char code[8];
  EXPECT_EQ(kFailure, journal_.GetCheckCode(code));

  profile_.Set("DataDirectory", std::string(275, 'd'));  // exactly 300 characters
  EXPECT_EQ(kSuccess, journal_.LoadPaths());
  EXPECT_EQ(300u, journal_.PathOf(JournalFile::kEodContent).size());
}

TEST_F(JournalPathsTest, MissingDataDirectoryNeverFallsBackToTheRoot) {
  profile_.Remove("DataDirectory");
  EXPECT_EQ(kFailure, journal_.LoadPaths());
  EXPECT_EQ(kFailure, journal_.UpdateReceiptTrailer("T"));
  EXPECT_FALSE(std::filesystem::exists("/kstr_jrn_trailer.txt"));
  profile_.Set("DataDirectory", profile_.DataDir());
  EXPECT_EQ(kSuccess, journal_.LoadPaths());
  EXPECT_EQ(kSuccess, journal_.UpdateReceiptTrailer("T"));
  EXPECT_EQ("T", Read("kstr_jrn_trailer.txt"));
}

TEST_F(JournalFilesTest, PathsStayFixedOnceBuilt) {
  const std::string before = journal_.PathOf(JournalFile::kHeader);
  EXPECT_EQ(File("kstr_jrn_header.txt"), before);
  profile_.Set("DataDirectory", profile_.Dir());
  EXPECT_EQ(kSuccess, journal_.LoadPaths());
  EXPECT_EQ(before, journal_.PathOf(JournalFile::kHeader));
}

TEST_F(JournalFilesTest, CheckCodeTakesTextHalfThenBinaryHalf) {
  struct Case {
    const char* text;  // nullptr: no file
    const char* binary;
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "FE00FE00FE00FE00"},
      {"abc", nullptr, "F0CEE9D5FE00FE00"},
      {nullptr, "abc", "FE00FE00F0CEE9D5"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(File("kstr_jrn_tmp.txt"));
    std::filesystem::remove(File("kstr_jrn_tmp.bin"));
    if (c.text) Put("kstr_jrn_tmp.txt", c.text);
    if (c.binary) Put("kstr_jrn_tmp.bin", c.binary);
    unsigned char code[8];
    EXPECT_EQ(kSuccess, journal_.GetCheckCode(code));
    EXPECT_EQ(c.expected, Hex(code, 8));
  }
}

TEST_F(JournalFilesTest, UpdateCheckCodeReplacesOnlyTheChosenHalf) {
  const unsigned char a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const unsigned char b[8] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18};
  EXPECT_EQ(kSuccess, journal_.UpdateCheckCode(a, Journal::kText));
  EXPECT_EQ(std::string("\x01\x02\x03\x04\0\0\0\0", 8), Read("kstr_jrn_cc.bin"));
  EXPECT_EQ(kSuccess, journal_.UpdateCheckCode(b, Journal::kBinary));
  EXPECT_EQ(std::string("\x01\x02\x03\x04\x15\x16\x17\x18", 8), Read("kstr_jrn_cc.bin"));
  EXPECT_EQ(kSuccess, journal_.UpdateCheckCode(b, 7));  // any half but 1 is the text half
  EXPECT_EQ(kSuccess, journal_.ResetCheckCode(Journal::kBinary));
  EXPECT_EQ(std::string("\x11\x12\x13\x14\0\0\0\0", 8), Read("kstr_jrn_cc.bin"));
  EXPECT_FALSE(Exists("kstr_jrn_cc.bin.new"));
}

TEST_F(JournalFilesTest, AppendTmpRestoresZeroBytesInBufferAndFile) {
  char block[] = {'A', 0x01, 'B', 0x01};
  EXPECT_EQ(kSuccess, journal_.AppendTmp(block, sizeof block, Journal::kBinary));
  EXPECT_EQ(std::string("A\0B\0", 4), std::string(block, 4));
  char more[] = {'C'};
  EXPECT_EQ(kSuccess, journal_.AppendTmp(more, 1, Journal::kBinary));
  EXPECT_EQ(std::string("A\0B\0C", 5), Read("kstr_jrn_tmp.bin"));
  EXPECT_FALSE(Exists("kstr_jrn_tmp.txt"));
  EXPECT_EQ(kSuccess, journal_.AppendTmp(more, 0, Journal::kText));  // empty block stores nothing
  EXPECT_FALSE(Exists("kstr_jrn_tmp.txt"));
}

TEST_F(JournalFilesTest, SaveJournalNeverReplacesAnExistingFile) {
  Put("kstr_jrn_tmp.txt", "today");
  Put("day1.txt", "yesterday");
  EXPECT_EQ(kFailure, journal_.SaveJournal(File("day1").c_str(), Journal::kText));
  EXPECT_EQ("yesterday", Read("day1.txt"));
  EXPECT_EQ("today", Read("kstr_jrn_tmp.txt"));
  EXPECT_NE(std::string::npos,
            LogText().find("Error while moving " + File("kstr_jrn_tmp.txt") + " to " + File("day1.txt") + " ["));

  EXPECT_EQ(kSuccess, journal_.SaveJournal(File("day2").c_str(), Journal::kText));
  EXPECT_EQ("today", Read("day2.txt"));
  EXPECT_FALSE(Exists("kstr_jrn_tmp.txt"));
}

TEST_F(JournalFilesTest, SaveJournalWithoutTemporaryFileCreatesNothing) {
  EXPECT_EQ(kSuccess, journal_.SaveJournal(File("day").c_str(), Journal::kBinary));
  EXPECT_FALSE(Exists("day.bin"));
}

TEST_F(JournalFilesTest, ReceiptNumberReadsOnlyFiveDigits) {
  EXPECT_EQ(0, journal_.GetReceiptNumber());
  const struct {
    int stored;
    const char* file;
    int read;
  } cases[] = {{42, "42", 42}, {123456, "123456", 12345}, {0, "0", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(kSuccess, journal_.UpdateReceiptNumber(c.stored));
    EXPECT_EQ(c.file, Read("kstr_jrn_rec.txt"));
    EXPECT_EQ(c.read, journal_.GetReceiptNumber());
  }
}

TEST_F(JournalFilesTest, StoredHeaderAndTrailerKeepOldTextOnEmptyAndAlwaysTerminate) {
  for (const bool header : {true, false}) {
    const auto update = [&](const char* text) {
      return header ? journal_.UpdateReceiptHeader(text) : journal_.UpdateReceiptTrailer(text);
    };
    const auto get = [&](char* buffer, std::size_t maxChars) {
      return header ? journal_.GetReceiptHeader(buffer, maxChars) : journal_.GetReceiptTrailer(buffer, maxChars);
    };
    EXPECT_EQ(kSuccess, update("0123456789"));
    EXPECT_EQ(kSuccess, update(""));
    char buffer[21];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(kSuccess, get(buffer, 4));  // the file holds at least 4 bytes
    EXPECT_STREQ("0123", buffer);
    EXPECT_EQ(kFailure, get(buffer, 20));  // shorter than asked, read all the same
    EXPECT_STREQ("0123456789", buffer);
  }
}

}  // namespace
}  // namespace kestrel::testing
