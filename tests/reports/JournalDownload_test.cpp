// The journal download: verification against the printer, re-transfer from
// the start, and above all that no failure loses journal data.
#include <gtest/gtest.h>

#include <string>

#include "tests/reports/ReportsFixture.h"
#include "tools/FileHook.h"

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
  ASSERT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
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
  ASSERT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
  EXPECT_EQ(Count("S10"), 2);
  EXPECT_EQ(Transfers(), 1);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, ACheckAcceptedOnTheFifthPassStillSaves) {
  Inject("badjournal 4");
  const std::string target = Target("fifth");
  EXPECT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
  EXPECT_EQ(Count("S10"), 5);
  EXPECT_EQ(Transfers(), 4);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, FiveRejectionsFailButKeepTheJournalForTheNextDownload) {
  Inject("badjournal 5");
  const std::string target = Target("never");
  EXPECT_EQ(DownloadJournal(M(), target.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalDownloadFailed);
  EXPECT_EQ(Count("S10"), 5);
  EXPECT_EQ(Transfers(), 4);
  EXPECT_FALSE(Tools::FileExists(target + ".txt"));
  // The whole journal waits in the temporary files.
  EXPECT_EQ(Stored(JournalFile::kTmpText), PrinterJournal(1));

  Forget();
  const std::string next = Target("next");
  ASSERT_EQ(DownloadJournal(M(), next.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(next + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, AFailedSaveKeepsTheJournalAndTheNextDownloadSavesIt) {
  const std::string taken = Target("taken");
  WriteWholeFile(taken + ".txt", "an earlier journal");
  EXPECT_EQ(DownloadJournal(M(), taken.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalSaveFailed);
  EXPECT_EQ(ReadWholeFile(taken + ".txt"), "an earlier journal");  // never overwritten
  EXPECT_EQ(Stored(JournalFile::kTmpText), PrinterJournal(1));

  SellOne("Maslo");  // the day goes on meanwhile
  const std::string fresh = Target("fresh");
  ASSERT_EQ(DownloadJournal(M(), fresh.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(fresh + ".txt"), PrinterJournal(1));
  EXPECT_EQ(ReadWholeFile(fresh + ".bin").size(), PrinterJournal(2).size());
}

TEST_F(JournalDownloadTest, ABinaryHalfThatCannotBeSavedLeavesNeitherHalfSaved) {
  const std::string taken = Target("half");
  WriteWholeFile(taken + ".bin", "an earlier binary journal");
  const std::string text = Stored(JournalFile::kTmpText);
  EXPECT_EQ(DownloadJournal(M(), taken.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalSaveFailed);
  EXPECT_FALSE(Tools::FileExists(taken + ".txt"));
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
  EXPECT_TRUE(Exists(JournalFile::kTmpBinary));

  const std::string fresh = Target("whole");
  ASSERT_EQ(DownloadJournal(M(), fresh.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(fresh + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, AnUnansweredCheckThrowsNothingAway) {
  const std::string text = Stored(JournalFile::kTmpText);
  Inject("noreply 3 S10");
  EXPECT_EQ(DownloadJournal(M(), Target("silent").c_str()), kTimeout);
  EXPECT_EQ(Transfers(), 0);
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
}

TEST_F(JournalDownloadTest, ATransferThatFailsMidwayIsRepairedByTheNextDownload) {
  Inject("noreply 3 S04");
  EXPECT_EQ(DownloadJournal(M(), Target("broken").c_str()), kTimeout);
  Forget();
  const std::string target = Target("repaired");
  ASSERT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
}

TEST_F(JournalDownloadTest, DownloadsAfterASaveCarryOnlyTheNewData) {
  ASSERT_EQ(DownloadJournal(M(), Target("first").c_str()), kSuccess);
  SellOne("Maslo");
  const std::string second = Target("second");
  ASSERT_EQ(DownloadJournal(M(), second.c_str()), kSuccess);
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
  ASSERT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
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

namespace kestrel::testing {
namespace {

// Whether the journal can be saved is checked before anything is sent: a
// journal the printer confirmed and the service could not save would have to
// wait, and a printer that frees confirmed blocks would never send it again.
class UnusableTargetTest : public JournalDownloadTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnusableTargetTest, IsRefusedBeforeThePrinterIsAsked) {
  const std::string what = GetParam();
  std::string target = Target("taken");
  if (what == "txt exists") WriteWholeFile(target + ".txt", "an earlier journal");
  if (what == "bin exists") WriteWholeFile(target + ".bin", "an earlier journal");
  if (what == "no name") target.clear();
  if (what == "no directory") target = Target("missing/journal");
  const std::string text = Stored(JournalFile::kTmpText);
  int32_t r = -1;
  fp_.QueryContent(target.c_str(), "", "", &r);
  EXPECT_EQ(r, kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalSaveFailed);
  EXPECT_EQ(Count("S04"), 0);
  EXPECT_EQ(Count("S10"), 0);
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
  if (what == "txt exists") {
    EXPECT_EQ(ReadWholeFile(target + ".txt"), "an earlier journal");
    EXPECT_FALSE(Tools::FileExists(target + ".bin"));
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, UnusableTargetTest,
                         ::testing::Values("txt exists", "bin exists", "no name", "no directory"),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                           std::string name = p.param;
                           for (char& c : name) c = c == ' ' ? '_' : c;
                           return name;
                         });

TEST_F(JournalDownloadTest, DirectIOWithoutANameSendsNothing) {
  int32_t data = 0;
  std::string name;
  int32_t r = -1;
  fp_.DirectIO(151, &data, &name, &r);
  EXPECT_EQ(r, kFailure);
  EXPECT_EQ(Count("S04"), 0);
  EXPECT_EQ(Count("S10"), 0);
}

// The journal files on "another volume": every move copies, and the copy
// of the first save runs out of disk space after the printer confirmed.
struct FullDisk {
  static bool& Full() {
    static bool full = false;
    return full;
  }
  static int Hook(file_hook::FileOperation operation, const std::string& path, const void*, std::size_t) {
    if (operation == file_hook::FileOperation::kRename) return file_hook::kOtherVolume;
    const bool staged = path.size() > 5 && path.compare(path.size() - 5, 5, ".part") == 0;
    return Full() && operation == file_hook::FileOperation::kWrite && staged ? 28 : 0;
  }
  FullDisk() { file_hook::SetHook(&Hook); }
  ~FullDisk() { file_hook::SetHook(nullptr); }
};

class JournalModeTest : public JournalDownloadTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    JournalDownloadTest::SetUp();
    ASSERT_EQ(Inject(std::string("journal ") + GetParam()), "ok");
  }
  void ExpectSavedExactly(const std::string& target) {
    EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
    EXPECT_EQ(ReadWholeFile(target + ".bin"), PrinterJournal(2));
  }
};

TEST_P(JournalModeTest, AFullDiskAfterTheCheckThenAGoodSaveHoldsEveryReceiptOnce) {
  FullDisk disk;
  FullDisk::Full() = true;
  const std::string first = Target("first");
  EXPECT_EQ(DownloadJournal(M(), first.c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextJournalSaveFailed);
  EXPECT_EQ(Count("S10"), 1) << "the printer confirmed the journal";
  EXPECT_FALSE(Tools::FileExists(first + ".txt"));
  EXPECT_FALSE(Tools::FileExists(first + ".bin"));

  FullDisk::Full() = false;
  SellOne("Maslo");
  const std::string second = Target("second");
  ASSERT_EQ(DownloadJournal(M(), second.c_str()), kSuccess);
  ExpectSavedExactly(second);
  EXPECT_FALSE(Exists(JournalFile::kTmpText));
  EXPECT_FALSE(Exists(JournalFile::kTmpBinary));
  EXPECT_FALSE(Exists(JournalFile::kCheckState));
}

// A check whose answer never came readable may have been accepted: nothing
// is thrown away, and the next download learns which it was.
TEST_P(JournalModeTest, AnUnreadableCheckReplyThrowsNothingAway) {
  const std::string text = Stored(JournalFile::kTmpText);
  Inject("garble 3 S10");
  EXPECT_EQ(DownloadJournal(M(), Target("unread").c_str()), kFailure);
  EXPECT_STREQ(M().GetErrorMessage(), text::kTextInvalidReply);
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
  EXPECT_EQ(Transfers(), 0);

  SellOne("Maslo");
  const std::string next = Target("next");
  ASSERT_EQ(DownloadJournal(M(), next.c_str()), kSuccess);
  ExpectSavedExactly(next);
}

// Files the printer does not recognise go aside, not away; the journal is
// then fetched again and saved.
TEST_P(JournalModeTest, ARefusedCheckSetsTheFilesAside) {
  WriteWholeFile(JournalPath(JournalFile::kTmpText), "garbage");
  const std::string target = Target("again");
  ASSERT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
  EXPECT_EQ(Transfers(), 1);
  EXPECT_EQ(ReadWholeFile(profile_.DataFile("kstr_jrn_refused_1.txt")), "garbage");
  EXPECT_EQ(ReadWholeFile(profile_.DataFile("kstr_jrn_refused_1.bin")), PrinterJournal(2));
  ExpectSavedExactly(target);
}

INSTANTIATE_TEST_SUITE_P(Printers, JournalModeTest, ::testing::Values("keep", "free"));

}  // namespace
}  // namespace kestrel::testing
