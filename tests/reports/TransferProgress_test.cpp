// The progress seam of the journal transfer: an observer hears of every
// block the printer hands out, and the transfer sends and writes the same
// with one as without.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/TransferProgress.h"
#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

struct Recorder : TransferObserver {
  std::vector<TransferProgress> ended;
  std::vector<bool> started;
  long calls = 0;
  void TransferStarted(bool fromStart) override { started.push_back(fromStart); }
  void BlockReceived(const TransferProgress& p) override {
    ++calls;
    EXPECT_EQ(p.blocks, calls);  // one call per block, counted from 1
  }
  void TransferEnded(const TransferProgress& p) override {
    ended.push_back(p);
    calls = 0;
  }
};

class TransferProgressTest : public ReportsTest {
 protected:
  void TearDown() override {
    SetTransferObserver(nullptr);
    ReportsTest::TearDown();
  }
  // Bytes and blocks of the printer's whole journal as it hands them out.
  TransferProgress PrinterTotals() {
    return WithPrinter([](emulator::Printer& printer) {
      TransferProgress totals;
      for (const auto& block : printer.Journal().Blocks()) {
        ++totals.blocks;
        totals.bytes += block.data.size();
      }
      return totals;
    });
  }
};

TEST_F(TransferProgressTest, EveryBlockOfARetransferIsReportedAndTheSameIsSaved) {
  SellOne("Chlieb");
  SellOne("Mlieko");
  WithPrinter([](emulator::Printer& printer) {
    printer.RejectCheckCodes(1);  // the files are refused once: all again from the start
    return 0;
  });
  Recorder recorder;
  SetTransferObserver(&recorder);
  Forget();
  const std::string target = profile_.Dir() + "/day";
  ASSERT_EQ(DownloadJournal(M(), target.c_str()), kSuccess);
  SetTransferObserver(nullptr);

  // The pull of what is new (nothing), then the whole journal from its start.
  EXPECT_EQ(recorder.started, (std::vector<bool>{false, true}));
  ASSERT_EQ(recorder.ended.size(), 2u);
  EXPECT_EQ(recorder.ended[0].blocks, 0);
  const TransferProgress whole = PrinterTotals();
  EXPECT_EQ(recorder.ended[1].blocks, whole.blocks);
  EXPECT_EQ(recorder.ended[1].bytes, whole.bytes);
  // One request per block and one "no more data" each time: nothing extra was sent.
  EXPECT_EQ(Count("S04"), static_cast<int>(whole.blocks) + 2);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
  EXPECT_EQ(ReadWholeFile(target + ".bin").size(), PrinterJournal(2).size());
}

}  // namespace
}  // namespace kestrel::testing
