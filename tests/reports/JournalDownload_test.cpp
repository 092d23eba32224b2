// The journal download: verification against the printer, re-transfer from
// the start, and above all that no failure loses journal data.
#include <gtest/gtest.h>

#include <string>

#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

class JournalDownloadTest : public ReportsTest {
 protected:
  void SetUp() override {
    ReportsTest::SetUp();
    SellOne("Chlieb");
    SellOne("Mlieko");
    Forget();
  }
  std::string Target(const std::string& name) { return profile_.Dir() + "/" + name; }
  int Transfers() {
    int n = 0;
    for (const Sent& s : Traffic()) n += s.code == "S04" && s.type == 4 ? 1 : 0;
    return n;
  }
};

TEST_F(JournalDownloadTest, SavesBothFilesWhenThePrinterConfirms) {
  const std::string target = Target("day1");
  ASSERT_EQ(M().DownloadJournal(target.c_str()), kSuccess);
  EXPECT_EQ(Count("S10"), 1);
  EXPECT_EQ(Transfers(), 0);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
  EXPECT_EQ(ReadWholeFile(target + ".bin").size(), PrinterJournal(2).size());
  EXPECT_NE(ReadWholeFile(target + ".txt").find("Mlieko"), std::string::npos);
  EXPECT_FALSE(Exists(JournalFile::kTmpText));
  EXPECT_FALSE(Exists(JournalFile::kTmpBinary));
  // The accepted code is kept for both halves.
  EXPECT_EQ(Stored(JournalFile::kCheckCode).size(), Journal::kCheckCodeSize);
  EXPECT_NE(Stored(JournalFile::kCheckCode), std::string(Journal::kCheckCodeSize, '\0'));
}

TEST_F(JournalDownloadTest, CheckCodeIsSentAsTwoHalvesOfEightHexDigits) {
  unsigned char code[Journal::kCheckCodeSize];
  ASSERT_EQ(Journal::Instance().GetCheckCode(code), kSuccess);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X%02X%02X%02X%02X", code[0], code[1], code[2], code[3], code[4],
                code[5], code[6], code[7]);
  M().CheckJournalCheckCode(hex);
  EXPECT_EQ(LastFields("S10"), (Fields{std::string(hex, 8), std::string(hex + 8, 8)}));
}

TEST_F(JournalDownloadTest, ARejectedCheckFetchesEverythingAgainFromTheStart) {
  // Files the printer does not recognise (here: tampered with).
  WriteWholeFile(JournalPath(JournalFile::kTmpText), "garbage");
  const std::string target = Target("again");
  ASSERT_EQ(M().DownloadJournal(target.c_str()), kSuccess);
  EXPECT_EQ(Count("S10"), 2);
  EXPECT_EQ(Transfers(), 1);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, ACheckAcceptedOnTheFifthPassStillSaves) {
  Inject("badjournal 4");
  const std::string target = Target("fifth");
  EXPECT_EQ(M().DownloadJournal(target.c_str()), kSuccess);
  EXPECT_EQ(Count("S10"), 5);
  EXPECT_EQ(Transfers(), 4);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, FiveRejectionsFailButKeepTheJournalForTheNextDownload) {
  Inject("badjournal 5");
  const std::string target = Target("never");
  EXPECT_EQ(M().DownloadJournal(target.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalDownloadFailed);
  EXPECT_EQ(Count("S10"), 5);
  EXPECT_EQ(Transfers(), 4);
  EXPECT_FALSE(Tools::FileExists(target + ".txt"));
  // The whole journal waits in the temporary files.
  EXPECT_EQ(Stored(JournalFile::kTmpText), PrinterJournal(1));

  Forget();
  const std::string next = Target("next");
  ASSERT_EQ(M().DownloadJournal(next.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(next + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, AFailedSaveKeepsTheJournalAndTheNextDownloadSavesIt) {
  const std::string taken = Target("taken");
  WriteWholeFile(taken + ".txt", "an earlier journal");
  EXPECT_EQ(M().DownloadJournal(taken.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalSaveFailed);
  EXPECT_EQ(ReadWholeFile(taken + ".txt"), "an earlier journal");  // never overwritten
  EXPECT_EQ(Stored(JournalFile::kTmpText), PrinterJournal(1));

  SellOne("Maslo");  // the day goes on meanwhile
  const std::string fresh = Target("fresh");
  ASSERT_EQ(M().DownloadJournal(fresh.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(fresh + ".txt"), PrinterJournal(1));
  EXPECT_EQ(ReadWholeFile(fresh + ".bin").size(), PrinterJournal(2).size());
}

TEST_F(JournalDownloadTest, ABinaryHalfThatCannotBeSavedLeavesNeitherHalfSaved) {
  const std::string taken = Target("half");
  WriteWholeFile(taken + ".bin", "an earlier binary journal");
  const std::string text = Stored(JournalFile::kTmpText);
  EXPECT_EQ(M().DownloadJournal(taken.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalSaveFailed);
  EXPECT_FALSE(Tools::FileExists(taken + ".txt"));
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
  EXPECT_TRUE(Exists(JournalFile::kTmpBinary));

  const std::string fresh = Target("whole");
  ASSERT_EQ(M().DownloadJournal(fresh.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(fresh + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, AnUnansweredCheckThrowsNothingAway) {
  const std::string text = Stored(JournalFile::kTmpText);
  Inject("noreply 3 S10");
  EXPECT_EQ(M().DownloadJournal(Target("silent").c_str()), kTimeout);
  EXPECT_EQ(Transfers(), 0);
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
}

TEST_F(JournalDownloadTest, ATransferThatFailsMidwayIsRepairedByTheNextDownload) {
  Inject("noreply 3 S04");
  EXPECT_EQ(M().DownloadJournal(Target("broken").c_str()), kTimeout);
  Forget();
  const std::string target = Target("repaired");
  ASSERT_EQ(M().DownloadJournal(target.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, DownloadsAfterASaveCarryOnlyTheNewData) {
  ASSERT_EQ(M().DownloadJournal(Target("first").c_str()), kSuccess);
  SellOne("Maslo");
  const std::string second = Target("second");
  ASSERT_EQ(M().DownloadJournal(second.c_str()), kSuccess);
  const std::string saved = ReadWholeFile(second + ".txt");
  EXPECT_NE(saved.find("Maslo"), std::string::npos);
  EXPECT_EQ(saved.find("Chlieb"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(Target("first") + ".txt") + saved, PrinterJournal(1));
}

class DayClosureJournalTest : public JournalDownloadTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DayClosureJournalTest, TheClosedDayCanStillBeDownloadedWhole) {
  if (GetParam()[0] != '\0') Inject(GetParam());
  int32_t r = -1;
  fp_.PrintZReport(&r);
  ASSERT_EQ(r, kSuccess);
  SellOne("Maslo");  // the next day starts before anyone downloads
  const std::string target = Target("closed");
  ASSERT_EQ(M().DownloadJournal(target.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
  EXPECT_EQ(ReadWholeFile(target + ".bin").size(), PrinterJournal(2).size());
}

// Normally, and with the closure's own journal transfer cut off midway.
INSTANTIATE_TEST_SUITE_P(Closures, DayClosureJournalTest, ::testing::Values("", "noreply 3 S04"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           return param.index == 0 ? std::string("Normal") : std::string("TransferCutOff");
                         });

}  // namespace
}  // namespace kestrel::testing
