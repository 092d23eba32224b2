#include <ctime>
#include <string>

#include "tests/journal/JournalFixture.h"

namespace kestrel::testing {
namespace {

constexpr std::time_t kMonday = 1717401600;  // 2024-06-03, some time of day in every zone

std::string Stamp(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
  return text;
}

// The content file as it must look for a text journal: 40 bytes and CR LF.
std::string AsContentLines(const std::string& journal) {
  std::string lines;
  for (std::size_t at = 0; at < journal.size(); at += 40) lines += journal.substr(at, 40) + "\r\n";
  return lines;
}

class JournalDayClosureTest : public JournalTest {
 protected:
  void SetUp() override {
    PinClock(kMonday);
    JournalTest::SetUp();
  }
};

TEST_F(JournalDayClosureTest, TransactionsFlagKeepsTheClosureTime) {
  EXPECT_FALSE(journal_.GetEODTransactions());
  EXPECT_EQ(kSuccess, journal_.UpdateEOD("", true));  // no record yet: the present time
  EXPECT_EQ(Stamp(kMonday) + "1", Read("kstr_jrn_eod.txt"));
  EXPECT_TRUE(journal_.GetEODTransactions());

  AdvanceClock(3600);
  EXPECT_EQ(kSuccess, journal_.UpdateEOD("", false));
  EXPECT_EQ(Stamp(kMonday) + "0", Read("kstr_jrn_eod.txt"));
  EXPECT_FALSE(journal_.GetEODTransactions());

  EXPECT_EQ(kSuccess, journal_.UpdateEOD("20240101120000", true));
  EXPECT_EQ("202401011200001", Read("kstr_jrn_eod.txt"));
}

TEST_F(JournalDayClosureTest, RecordTooShortForATimeStartsFromThePresentTime) {
  Put("kstr_jrn_eod.txt", "2024");
  EXPECT_EQ(kSuccess, journal_.UpdateEOD("", true));
  EXPECT_EQ(Stamp(kMonday) + "1", Read("kstr_jrn_eod.txt"));
}

TEST_F(JournalDayClosureTest, FailedRewriteKeepsTheOldRecord) {
  Put("kstr_jrn_eod.txt", "202401011200001");
  std::filesystem::create_directory(File("kstr_jrn_eod.txt.new"));  // the staging name is taken
  EXPECT_EQ(kFailure, journal_.UpdateEOD("", false));
  EXPECT_EQ("202401011200001", Read("kstr_jrn_eod.txt"));
}

TEST_F(JournalDayClosureTest, ResetEODMovesTheTextJournalAndRecordsTheClosure) {
  Put("kstr_jrn_eod.txt", "202401011200001");
  const std::string text(85, 'x');
  Put("kstr_jrn_tmp.txt", text);
  Put("kstr_jrn_tmp.bin", "binary");
  AdvanceClock(60);

  EXPECT_EQ(kSuccess, journal_.ResetEOD());
  EXPECT_EQ(Stamp(kMonday + 60) + "0", Read("kstr_jrn_eod.txt"));
  const std::string line(40, 'x');
  EXPECT_EQ(line + "\r\n" + line + "\r\n" + "xxxxx\r\n", Read("kstr_jrn_eod_content.txt"));
  EXPECT_FALSE(Exists("kstr_jrn_tmp.txt"));
  EXPECT_EQ("binary", Read("kstr_jrn_tmp.bin"));
}

TEST_F(JournalDayClosureTest, LongTextJournalIsCopiedWhole) {
  std::string journal;
  for (int i = 0; journal.size() < 25013; ++i) journal += "line " + std::to_string(i) + "\r\n";
  journal.resize(25013);
  journal[12345] = '\0';  // a zero byte the printer sent does not end the copy
  Put("kstr_jrn_tmp.txt", journal);
  Put("kstr_jrn_eod_content.txt", "previous day, much longer than this content will be in the end?");

  EXPECT_EQ(kSuccess, journal_.CopyEODContent());
  EXPECT_EQ(AsContentLines(journal), Read("kstr_jrn_eod_content.txt"));
  EXPECT_FALSE(Exists("kstr_jrn_tmp.txt"));
}

TEST_F(JournalDayClosureTest, NothingToCopyLeavesTheOldContent) {
  Put("kstr_jrn_eod_content.txt", "kept\r\n");
  EXPECT_EQ(kSuccess, journal_.CopyEODContent());  // no text journal
  Put("kstr_jrn_tmp.txt", "");
  EXPECT_EQ(kSuccess, journal_.CopyEODContent());
  EXPECT_EQ("kept\r\n", Read("kstr_jrn_eod_content.txt"));
}

TEST_F(JournalDayClosureTest, FailedCopyKeepsTheTextJournal) {
  Put("kstr_jrn_tmp.txt", "the day's journal");
  std::filesystem::create_directories(File("kstr_jrn_eod_content.txt") + "/blocked");
  EXPECT_EQ(kFailure, journal_.CopyEODContent());
  EXPECT_EQ("the day's journal", Read("kstr_jrn_tmp.txt"));
  EXPECT_FALSE(Exists("kstr_jrn_eod_content.txt.new"));

  // The closure itself is still recorded.
  EXPECT_EQ(kFailure, journal_.ResetEOD());
  EXPECT_EQ(Stamp(kMonday) + "0", Read("kstr_jrn_eod.txt"));
  EXPECT_EQ("the day's journal", Read("kstr_jrn_tmp.txt"));
}

}  // namespace
}  // namespace kestrel::testing
