// The journal under crashes: the process dies (or one file operation fails)
// at every file operation of closing a receipt, of the day closure and of a
// journal download; after a restart the next download, together with those
// saved before, must hold every block of the printer's journal exactly once.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/crashjournal/CrashFixture.h"

namespace kestrel::testing {
namespace {

using file_hook::FileOperation;

// The text journal as the day closure keeps it: 40-character lines, CR LF.
std::string AsEodContent(const std::string& text) {
  std::string content;
  for (std::size_t from = 0; from < text.size(); from += Journal::kEodContentLineChars) {
    content += text.substr(from, Journal::kEodContentLineChars) + "\r\n";
  }
  return content;
}

// True when the operation touches the file or its staged copy.
bool Concerns(const SeenOperation& seen, const std::string& name) {
  return seen.name.compare(0, name.size(), name) == 0;
}

bool Writes(const SeenOperation& seen) {
  return (seen.operation == FileOperation::kAppend || seen.operation == FileOperation::kWrite) && seen.length >= 2;
}

class JournalCrashTest : public CrashJournalTest {
 protected:
  struct Scenario {
    std::function<void()> prepare;
    std::function<void()> run;
    // Right after the fault (and the restart when the process died).
    std::function<void(bool killed, const SeenOperation& fault)> check;
  };

  // Counts the scenario's file operations, then for every one of them: a new
  // world, the fault at that operation, a restart when the process died, the
  // next download and the checks; then one more sale and download, to show
  // the till carries on as before.
  void Sweep(const Scenario& scenario, FaultMode mode) {
    const std::vector<SeenOperation> operations = CountOperations(scenario.prepare, scenario.run);
    ASSERT_FALSE(operations.empty());
    // KESTREL_CRASH_OPS=1 lists the operations swept, for diagnosis.
    if (std::getenv("KESTREL_CRASH_OPS") != nullptr) {
      for (const SeenOperation& seen : operations) std::printf("  %s\n", FileFaults::Describe(seen).c_str());
    }
    int played = 0;
    for (int n = 1; n <= static_cast<int>(operations.size()); ++n) {
      if (mode == FaultMode::kTear && !Writes(operations[n - 1])) continue;
      SCOPED_TRACE("fault at operation " + std::to_string(n) + " of " + std::to_string(operations.size()) + ": " +
                   FileFaults::Describe(operations[n - 1]));
      NewWorld();
      scenario.prepare();
      const bool killed = RunWithFault(mode, n, scenario.run);
      ASSERT_TRUE(faults_->Fired());
      ASSERT_EQ(killed, mode != FaultMode::kFail);
      scenario.check(killed, operations[n - 1]);
      VerifiedDownload("after");
      ExpectDownloadsCoverTheJournal();
      Sell("Maslo");
      EXPECT_EQ(Stored(JournalFile::kEod).substr(14), "1") << "a receipt was started since the closure";
      VerifiedDownload("later");
      ExpectDownloadsCoverTheJournal();
      ExpectEodRecordWellFormed();
      ++played;
      if (HasFailure()) return;
    }
    EXPECT_GT(played, 0);
  }

  // A receipt is sold and downloaded, a second one waits to be closed.
  Scenario ReceiptClose() {
    return {[this] {
              Sell("Chlieb");
              VerifiedDownload("before");
              OpenReceipt("Mlieko");
            },
            [this] { CloseReceipt(); },
            [this](bool killed, const SeenOperation& fault) {
              // Only a process that died, or lost the number's own write,
              // may keep the number of the receipt before.
              if (killed || Concerns(fault, "kstr_jrn_rec.txt")) {
                ExpectReceiptNumberOneOf({1, 2});
              } else {
                ExpectReceiptNumberOneOf({2});
              }
              ExpectEodRecordWellFormed();
            }};
  }
  // The first receipt of the day fetches the journal from its start.
  Scenario FirstReceiptClose() {
    return {[this] { OpenReceipt("Chlieb"); }, [this] { CloseReceipt(); },
            [this](bool killed, const SeenOperation& fault) {
              if (killed || Concerns(fault, "kstr_jrn_rec.txt")) {
                ExpectReceiptNumberOneOf({0, 1});
              } else {
                ExpectReceiptNumberOneOf({1});
              }
            }};
  }
  // Two receipts, the first downloaded; then the day is closed.
  Scenario DayClosure() {
    return {[this] {
              Sell("Chlieb");
              VerifiedDownload("before");
              Sell("Mlieko");
            },
            [this] { ZReport(); },
            [this](bool killed, const SeenOperation& fault) {
              ExpectEodRecordWellFormed();
              if (killed) {
                ExpectReceiptNumberOneOf({2, 0});
              } else {
                // The day is closed unless the very write that records it failed.
                if (!Concerns(fault, "kstr_jrn_rec.txt")) {
                  ExpectReceiptNumberOneOf({0});
                }
                if (!Concerns(fault, "kstr_jrn_eod.txt")) {
                  EXPECT_EQ(Stored(JournalFile::kEod).substr(14), "0");
                }
              }
              // The text journal is only ever deleted once its content is
              // kept whole in the closed day's file.
              if (faults_->TextJournalDeleted()) {
                EXPECT_EQ(Stored(JournalFile::kEodContent), AsEodContent(faults_->DeletedTextJournal()));
              }
            }};
  }
  // Two receipts, the first downloaded, and an X report, whose journal
  // blocks only a download fetches; then the application downloads.
  Scenario Download(int rejections) {
    return {[this, rejections] {
              Sell("Chlieb");
              VerifiedDownload("before");
              Sell("Mlieko");
              int32_t r = -1;
              fp_->PrintXReport(&r);
              ASSERT_EQ(r, 0);
              if (rejections > 0) server_->Inject("badjournal " + std::to_string(rejections));
            },
            [this] { QueryContent("during"); },
            [this](bool killed, const SeenOperation&) { AdoptDownloadOfScenario("during", killed); }};
  }
};

TEST_F(JournalCrashTest, ReceiptCloseSurvivesAKillAtEveryFileOperation) { Sweep(ReceiptClose(), FaultMode::kKill); }
TEST_F(JournalCrashTest, ReceiptCloseSurvivesEveryFailedFileOperation) { Sweep(ReceiptClose(), FaultMode::kFail); }
TEST_F(JournalCrashTest, ReceiptCloseSurvivesATornWrite) { Sweep(ReceiptClose(), FaultMode::kTear); }

TEST_F(JournalCrashTest, FirstReceiptOfTheDaySurvivesAKillAtEveryFileOperation) {
  Sweep(FirstReceiptClose(), FaultMode::kKill);
}

TEST_F(JournalCrashTest, FirstReceiptOfTheDaySurvivesEveryFailedFileOperation) {
  Sweep(FirstReceiptClose(), FaultMode::kFail);
}

TEST_F(JournalCrashTest, DayClosureSurvivesAKillAtEveryFileOperation) { Sweep(DayClosure(), FaultMode::kKill); }
TEST_F(JournalCrashTest, DayClosureSurvivesEveryFailedFileOperation) { Sweep(DayClosure(), FaultMode::kFail); }
TEST_F(JournalCrashTest, DayClosureSurvivesATornWrite) { Sweep(DayClosure(), FaultMode::kTear); }

TEST_F(JournalCrashTest, DownloadSurvivesAKillAtEveryFileOperation) { Sweep(Download(0), FaultMode::kKill); }
TEST_F(JournalCrashTest, DownloadSurvivesEveryFailedFileOperation) { Sweep(Download(0), FaultMode::kFail); }
TEST_F(JournalCrashTest, DownloadSurvivesATornWrite) { Sweep(Download(0), FaultMode::kTear); }

TEST_F(JournalCrashTest, RetransferAfterRejectionSurvivesAKillAtEveryFileOperation) {
  Sweep(Download(1), FaultMode::kKill);
}
TEST_F(JournalCrashTest, RetransferAfterRejectionSurvivesEveryFailedFileOperation) {
  Sweep(Download(1), FaultMode::kFail);
}
TEST_F(JournalCrashTest, RetransferAfterRejectionSurvivesATornWrite) { Sweep(Download(1), FaultMode::kTear); }

// The process dies in the day closure, and again in the download that
// recovers from it: once in the middle of fetching the journal from its
// start, once after the text journal went into the closed day's file.
TEST_F(JournalCrashTest, RecoveryFromAKilledDayClosureSurvivesASecondKill) {
  const Scenario closure = DayClosure();
  const std::vector<SeenOperation> closureOperations = CountOperations(closure.prepare, closure.run);
  std::vector<int> firstKills = {6};
  for (std::size_t i = 0; i < closureOperations.size(); ++i) {
    if (closureOperations[i].name == "kstr_jrn_eod.txt.new") {
      firstKills.push_back(static_cast<int>(i) + 1);
      break;
    }
  }
  ASSERT_EQ(firstKills.size(), 2u);

  for (int first : firstKills) {
    const auto killedClosure = [&] {
      NewWorld();
      closure.prepare();
      ASSERT_TRUE(RunWithFault(FaultMode::kKill, first, closure.run));
    };
    killedClosure();
    faults_->Arm(FaultMode::kCount);
    ASSERT_EQ(QueryContent("after"), 0);
    const int recoveryOperations = faults_->Count();
    if (std::getenv("KESTREL_CRASH_OPS") != nullptr) {
      for (const SeenOperation& seen : faults_->Seen()) std::printf("  %s\n", FileFaults::Describe(seen).c_str());
    }
    ASSERT_GT(recoveryOperations, 0);

    for (int second = 1; second <= recoveryOperations; ++second) {
      SCOPED_TRACE("killed at closure operation " + std::to_string(first) + ", then at recovery operation " +
                   std::to_string(second));
      killedClosure();
      ASSERT_TRUE(RunWithFault(FaultMode::kKill, second, [this] { QueryContent("after"); }));
      AdoptDownloadOfScenario("after", true);
      VerifiedDownload("final");
      ExpectDownloadsCoverTheJournal();
      ExpectEodRecordWellFormed();
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace kestrel::testing
