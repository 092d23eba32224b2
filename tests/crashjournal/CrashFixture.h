#pragma once
// A till against the virtual printer in which the process can die at any file
// operation of the journal, and the checks that must hold once it is started
// again: every journal download saved is exactly a run of the printer's
// journal blocks, and together they cover the journal with no block missing.
//
// Each "world" is a fresh data directory, a fresh printer and a fresh service;
// a test loops over the operation at which the fault strikes, one world each.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Device.h"
#include "emulator/PtyServer.h"
#include "journal/Journal.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/crashjournal/FileFaults.h"
#include "tests/support/JournalMode.h"
#include "tests/support/ServiceSession.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::testing {

// A download the application saved: its base name and the printer's
// confirmation point when it was saved (the end of the run it must hold).
struct SavedDownload {
  std::string base;
  std::size_t end = 0;
};

class CrashJournalTest : public ::testing::Test {
 protected:
  template <class F>
  auto Printer(F f) {
    return server_->WithDevice([&f](emulator::Device& device) { return f(device.Core()); });
  }
  // The first journal block the printer has not seen confirmed.
  std::size_t Confirmed() {
    return server_->WithDevice([](emulator::Device& device) { return device.Core().Journal().Confirmed(); });
  }

  // Waits run at a quarter of their length: short enough for quick sweeps,
  // long enough that a sanitizer build on a busy machine still answers
  // within a reply time-out, so every sweep plays the same exchanges.
  void SetUp() override { UseFastSleep(4); }
  void TearDown() override { EndWorld(); }

  // ---- worlds ----
  void NewWorld() {
    EndWorld();
    profile_ = std::make_unique<TestProfile>();
    faults_ = std::make_unique<FileFaults>(profile_->Dir());
    const std::string link = profile_->Dir() + "/tty";
    profile_->Set("Port", link);
    emulator::ServerOptions options;
    options.link = link;
    UseJournalModeOfTheRun(options.printer);
    server_ = std::make_unique<emulator::PtyServer>(options);
    ASSERT_EQ(server_->Start(), 0);
    downloads_.clear();
    StartService();
  }
  void EndWorld() {
    faults_.reset();
    if (fp_) {
      int32_t r = 0;
      fp_->ReleaseDevice(&r);
      fp_->CloseService(&r);
      fp_.reset();
    }
    if (server_) server_->Stop();
    server_.reset();
    profile_.reset();
  }
  // A new process: no object survives, only the files and the printer.
  void StartService() {
    fp_.reset();
    SingletonReset::All();
    fp_ = std::make_unique<FiscalPrinter>();
    std::string step;
    ASSERT_EQ(OpenClaimEnable(*fp_, &step), 0) << step;
  }

  // Runs a scenario with the fault armed; true when the process died in it.
  // A dead process is then started again against the same printer and files.
  bool RunWithFault(FaultMode mode, int target, const std::function<void()>& scenario) {
    faults_->Arm(mode, target);
    bool killed = false;
    try {
      scenario();
    } catch (const ProcessKilled&) {
      killed = true;
    }
    faults_->Disarm();
    confirmedAtFault_ = Confirmed();
    if (killed) StartService();
    return killed;
  }
  // The file operations of a scenario run without a fault.
  std::vector<SeenOperation> CountOperations(const std::function<void()>& prepare,
                                             const std::function<void()>& scenario) {
    NewWorld();
    prepare();
    faults_->Arm(FaultMode::kCount);
    scenario();
    faults_->Disarm();
    return faults_->Seen();
  }

  // ---- the till ----
  void OpenReceipt(const char* item) {
    int32_t r = -1;
    fp_->BeginFiscalReceipt(true, &r);
    ASSERT_EQ(r, 0);
    fp_->PrintRecItem(item, 10000, 10000, 1, 0, "", &r);
    ASSERT_EQ(r, 0);
    fp_->PrintRecTotal(10000, 10000, "1", &r);
    ASSERT_EQ(r, 0);
  }
  int32_t CloseReceipt() {
    int32_t r = -1;
    fp_->EndFiscalReceipt(false, &r);
    return r;
  }
  void Sell(const char* item) {
    OpenReceipt(item);
    ASSERT_EQ(CloseReceipt(), 0);
  }
  int32_t ZReport() {
    int32_t r = -1;
    fp_->PrintZReport(&r);
    return r;
  }
  std::string Target(const std::string& name) { return profile_->Dir() + "/" + name; }
  int32_t QueryContent(const std::string& name) {
    int32_t r = -1;
    fp_->QueryContent(Target(name).c_str(), "", "", &r);
    return r;
  }
  // A download that must succeed; it is added to the saved ones.
  void VerifiedDownload(const std::string& name) {
    ASSERT_EQ(QueryContent(name), 0) << name;
    Saved(name);
  }
  // Records a download found complete on disk.
  void Saved(const std::string& name) { downloads_.push_back({Target(name), Confirmed()}); }

  // ---- the printer ----
  // The text and binary data of the printer's blocks [from, to).
  std::pair<std::string, std::string> Blocks(std::size_t from, std::size_t to) {
    return Printer([from, to](emulator::Printer& p) {
      std::pair<std::string, std::string> data;
      const auto& blocks = p.Journal().Blocks();
      for (std::size_t i = from; i < to && i < blocks.size(); ++i) {
        (blocks[i].kind == 2 ? data.second : data.first) += blocks[i].data;
      }
      return data;
    });
  }
  std::size_t PrinterBlocks() {
    return server_->WithDevice([](emulator::Device& device) { return device.Core().Journal().Size(); });
  }

  // ---- the checks ----
  // Every saved download holds exactly the blocks from where the one before
  // it ended (or, after the printer asked for everything again, from the
  // first block) to its own end; the last one reaches the printer's last
  // block. So no block is missing, and none is in a download twice. (A
  // download with nothing new saves no files and reads as empty.)
  void ExpectDownloadsCoverTheJournal() {
    std::size_t previousEnd = 0;
    for (const SavedDownload& saved : downloads_) {
      const std::string text = ReadWholeFile(saved.base + ".txt");
      const std::string binary = ReadWholeFile(saved.base + ".bin");
      const auto continued = Blocks(previousEnd, saved.end);
      const auto restarted = Blocks(0, saved.end);
      const bool holdsContinuation = text == continued.first && binary == continued.second;
      const bool holdsEverything = text == restarted.first && binary == restarted.second;
      EXPECT_TRUE(holdsContinuation || holdsEverything)
          << saved.base << " is not the run of blocks [" << previousEnd << " or 0, " << saved.end << ")";
      previousEnd = saved.end;
    }
    ASSERT_FALSE(downloads_.empty());
    EXPECT_EQ(downloads_.back().end, PrinterBlocks());
    // Nothing waits in the temporary files after a download.
    EXPECT_FALSE(Tools::FileExists(JournalPath(JournalFile::kTmpText)));
    EXPECT_FALSE(Tools::FileExists(JournalPath(JournalFile::kTmpBinary)));
  }
  // A download begun in the scenario counts as saved when both halves exist;
  // one half alone must never be left behind by a failure the process lived
  // through.
  void AdoptDownloadOfScenario(const std::string& name, bool killed) {
    const bool text = Tools::FileExists(Target(name) + ".txt");
    const bool binary = Tools::FileExists(Target(name) + ".bin");
    if (text && binary) {
      downloads_.push_back({Target(name), confirmedAtFault_});
    } else if (text || binary) {
      EXPECT_TRUE(killed) << "a failed save left only one half of " << name;
    }
  }

  std::string JournalPath(JournalFile file) { return Journal::Instance().PathOf(file); }
  std::string Stored(JournalFile file) { return ReadWholeFile(JournalPath(file)); }
  static bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
      if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
  }
  // The day-closure record: a closure time of 14 digits and the flag.
  void ExpectEodRecordWellFormed() {
    const std::string record = Stored(JournalFile::kEod);
    ASSERT_EQ(record.size(), Journal::kEodRecordChars) << record;
    EXPECT_TRUE(AllDigits(record.substr(0, 14))) << record;
    EXPECT_TRUE(record[14] == '0' || record[14] == '1') << record;
  }
  // The stored receipt number is one of the numbers it may hold.
  void ExpectReceiptNumberOneOf(const std::vector<int>& allowed) {
    const std::string stored = Stored(JournalFile::kReceiptNumber);
    const int number = stored.empty() ? 0 : std::atoi(stored.c_str());
    EXPECT_TRUE(stored.empty() || AllDigits(stored)) << "'" << stored << "'";
    bool found = false;
    for (int value : allowed) found = found || value == number;
    EXPECT_TRUE(found) << "receipt number " << number;
  }

  std::unique_ptr<TestProfile> profile_;
  std::unique_ptr<FileFaults> faults_;
  std::unique_ptr<emulator::PtyServer> server_;
  std::unique_ptr<FiscalPrinter> fp_;
  std::vector<SavedDownload> downloads_;
  std::size_t confirmedAtFault_ = 0;
};

}  // namespace kestrel::testing
