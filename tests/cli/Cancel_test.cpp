// kestrel cancel, and what the other commands say about a document left
// open: against the virtual printer, with the work left by another "process"
// (an abandoned service, then fresh process-wide objects).
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "cli/CancelCommand.h"
#include "cli/CancelOpen.h"
#include "cli/SaleCommand.h"
#include "cli/StatusCommand.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/cli/OnPrinter.h"
#include "tests/support/ServiceSession.h"
#include "tests/support/SingletonReset.h"

namespace kestrel::cli {
namespace {

// Leaves work open as a process would that stopped half-way: the calls are
// made, the service is dropped without closing anything.
void LeaveOpen(const std::function<void(FiscalPrinter&)>& calls) {
  {
    FiscalPrinter printer;
    ASSERT_EQ(testing::OpenClaimEnable(printer), 0);
    calls(printer);
  }
  SingletonReset::All();
}

void Item(FiscalPrinter& p) {
  int32_t r = 0;
  ASSERT_EQ(p.BeginFiscalReceipt(true, &r), 0);
  ASSERT_EQ(p.PrintRecItem("Rozok", 10000, 10000, 1, 10000, "", &r), 0);
}
void PaidInPart(FiscalPrinter& p) {
  Item(p);
  int32_t r = 0;
  ASSERT_EQ(p.PrintRecTotal(10000, 4000, "1", &r), 0);
}
void PaidInFull(FiscalPrinter& p) {
  Item(p);
  int32_t r = 0;
  ASSERT_EQ(p.PrintRecTotal(10000, 10000, "1", &r), 0);
}

struct LeftOpen {
  const char* what;
  std::function<void(FiscalPrinter&)> calls;
  bool nonFiscalFlag;
  const char* says;
  long long dailyTotalGrowth;  // cents the day gains: a completed sale counts
};

void PrintTo(const LeftOpen& c, std::ostream* os) { *os << c.what; }

class CancelLeftWork : public OnVirtualPrinter, public ::testing::WithParamInterface<LeftOpen> {};

TEST_P(CancelLeftWork, EndsItAndSaysWhat) {
  const LeftOpen& c = GetParam();
  LeaveOpen(c.calls);
  const auto total = Core([](emulator::Printer& p) { return p.DailyTotal(); });
  EXPECT_EQ(RunCancel(Target{}, c.nonFiscalFlag, out_, err_), 0) << err_.str();
  EXPECT_EQ(out_.str(), std::string(c.says) + "\n");
  EXPECT_FALSE(Core([](emulator::Printer& p) { return p.ReceiptOpen(); }));
  EXPECT_EQ(Core([](emulator::Printer& p) { return p.DailyTotal(); }) - total, c.dailyTotalGrowth);
  // Nothing is left: a second cancel finds nothing.
  SingletonReset::All();
  ClearStreams();
  EXPECT_EQ(RunCancel(Target{}, false, out_, err_), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Nothing is open at the printer.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Printer, CancelLeftWork,
    ::testing::Values(
        LeftOpen{"nothing", [](FiscalPrinter&) {}, false, "Nothing is open at the printer.", 0},
        LeftOpen{"unpaid", Item, false, "The open fiscal receipt was not paid: it is voided.", 0},
        LeftOpen{"paid in part", PaidInPart, false, "The open fiscal receipt was not paid in full: it is voided.", 0},
        LeftOpen{"paid in full", PaidInFull, false,
                 "The open fiscal receipt was paid in full, so the money was taken: it is closed and printed, not "
                 "voided.",
                 100},
        LeftOpen{"receipt before the non-fiscal flag", Item, true,
                 "The open fiscal receipt was not paid: it is voided.", 0},
        LeftOpen{"non-fiscal",
                 [](FiscalPrinter& p) {
                   int32_t r = 0;
                   ASSERT_EQ(p.BeginNonFiscal(&r), 0);
                   ASSERT_EQ(p.PrintNormal(2, "Hello", &r), 0);
                 },
                 true, "The open non-fiscal document is ended.", 0}),
    [](const ::testing::TestParamInfo<LeftOpen>& p) {
      std::string name = p.param.what;
      for (char& ch : name) ch = ch == ' ' || ch == '-' ? '_' : ch;
      return name;
    });

// Within one process the service knows its own non-fiscal document.
TEST_F(OnVirtualPrinter, CancelOpenWorkEndsTheServicesOwnNonFiscalDocument) {
  FiscalPrinter printer;
  ASSERT_EQ(testing::OpenClaimEnable(printer), 0);
  int32_t r = 0;
  ASSERT_EQ(printer.BeginNonFiscal(&r), 0);
  const std::size_t before = printer_->Paper().size();
  const CancelOutcome outcome = CancelOpenWork(printer);
  EXPECT_EQ(outcome.what, OpenWork::kNonFiscalEnded);
  EXPECT_EQ(outcome.resultCode, 0);
  EXPECT_EQ(outcome.printerState, kPrinterStateNonFiscal);
  EXPECT_GT(printer_->Paper().size(), before);  // the trailer and the cut
  EXPECT_EQ(CancelOpenWork(printer).what, OpenWork::kNothing);
}

TEST_F(OnVirtualPrinter, CancelNeedsAnEnabledDevice) {
  FiscalPrinter printer;
  const CancelOutcome outcome = CancelOpenWork(printer);
  EXPECT_EQ(outcome.what, OpenWork::kFailed);
  EXPECT_NE(outcome.resultCode, 0);
}

// A 207 from a receipt someone left open names it and kestrel cancel.
TEST_F(OnVirtualPrinter, CommandsRefusedByAnOpenReceiptNameItAndCancel) {
  LeaveOpen(Item);
  const std::string hint = "a fiscal receipt is open at the printer, not paid: `kestrel cancel` voids it";
  struct Command {
    const char* name;
    std::function<int()> run;
    int status;
  } commands[] = {
      {"x-report", [this] { return RunXReport(Target{}, out_, err_); }, 1},
      {"z-report", [this] { return RunZReport(Target{}, out_, err_); }, 1},
      {"sale",
       [this] {
         SaleOptions sale;
         sale.items = {"Mlieko", "0.89", "2"};
         return RunSale(sale, out_, err_);
       },
       1},
      {"status", [this] { return RunStatus("FiscalPrinter", out_, err_); }, 0},
  };
  for (const Command& command : commands) {
    SingletonReset::All();
    ClearStreams();
    EXPECT_EQ(command.run(), command.status) << command.name << "\n" << err_.str();
    const std::string said = out_.str() + err_.str();
    EXPECT_NE(said.find(hint), std::string::npos) << command.name << "\n" << said;
    if (command.status != 0) {
      EXPECT_NE(said.find("114 (207)"), std::string::npos) << command.name << "\n" << said;
    }
  }
  // None of them touched the receipt.
  EXPECT_TRUE(Core([](emulator::Printer& p) { return p.ReceiptOpen(); }));
}

}  // namespace
}  // namespace kestrel::cli
