// A whole receipt, played once for every request it sends: the printer falls
// silent at that request (and stays so), or carries that request out and
// lets no reply to it be read. Whatever a method then reports must be true
// of the printer: 0 only for what it did, a failure other than 112 only for
// what it did not do; 112 is "the printer cannot tell", and then nothing is
// cancelled. A silent printer never holds a method longer than the bound of
// the README's table.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/ReplyTimeouts.h"
#include "tests/faultmatrix/MatrixCell.h"

namespace kestrel::testing {
namespace {

using namespace reply_timeout;

// What the printer shows of the receipt.
struct PrinterView {
  bool open = false;
  std::size_t lines = 0;
  long long paid = 0;
  int lastNumber = 0;
  std::string paper;  // UTF-8
};

int Occurrences(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

struct ReceiptStep {
  const char* name;
  const char* command;  // the command that does the step's work
  std::function<int32_t(FiscalPrinter&)> call;
  // The printer did what the call asks.
  std::function<bool(const PrinterView& before, const PrinterView& after)> done;
  // The longest the call may block when the printer falls silent at any of
  // its requests: the request's attempts, and the one question that would
  // tell its fate (which first hears the line out for its time-out).
  int boundSeconds;
  // The printer's state tells what became of the step's own command.
  bool learnsOutcome;
};

bool LineAdded(const PrinterView& b, const PrinterView& a) { return a.lines == b.lines + 1; }

std::vector<ReceiptStep> Steps() {
  const int line = Unanswered(kCommand) + UnansweredAfterSilence(kCommand);  // the line, then the subtotal
  return {
      {"BeginFiscalReceipt", "P02",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.BeginFiscalReceipt(true, &r);
         return r;
       },
       [](const PrinterView& b, const PrinterView& a) { return !b.open && a.open; },
       // The status and the state (each ignored or stopping), or the start then the state.
       Unanswered(kCommand) + UnansweredAfterSilence(kStatus), true},
      {"PrintRecItem", "P03",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecItem("Chlieb", 15000, 10000, 1, 0, "", &r);
         return r;
       },
       LineAdded, line, true},
      {"PrintRecItem", "P03",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecItem("Mlieko", 9900, 20000, 2, 4950, "l", &r);
         return r;
       },
       LineAdded, line, true},
      {"PrintRecItemAdjustment", "P06",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecItemAdjustment(1, "Zlava", 1000, 2, &r);
         return r;
       },
       LineAdded, line, true},
      {"PrintRecItemVoid", "P03",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecItemVoid("Chlieb", 15000, 10000, 1, 0, "", &r);
         return r;
       },
       LineAdded, line, true},
      {"PrintRecSubtotal", "P08",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecSubtotal(0, &r);
         return r;
       },
       [](const PrinterView& b, const PrinterView& a) {
         return Occurrences(a.paper, "MEDZISÚČET") == Occurrences(b.paper, "MEDZISÚČET") + 1;
       },
       Unanswered(kCommand), false},
      {"PrintRecMessage", "P20",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecMessage("Vdaka za nakup", &r);
         return r;
       },
       [](const PrinterView& b, const PrinterView& a) {
         return Occurrences(a.paper, "Vdaka za nakup") == Occurrences(b.paper, "Vdaka za nakup") + 1;
       },
       Unanswered(kLong), false},
      {"PrintRecTotal part", "P09",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecTotal(0, 5000, "1", &r);
         return r;
       },
       [](const PrinterView& b, const PrinterView& a) { return a.paid > b.paid; },
       // The payment, then the state that tells whether it was made.
       Unanswered(kCommand) + UnansweredAfterSilence(kStatus), true},
      {"PrintRecTotal rest", "P09",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.PrintRecTotal(0, 50000, "2", &r);
         return r;
       },
       [](const PrinterView& b, const PrinterView& a) {
         return a.paid > b.paid && Occurrences(a.paper, "SPOLU EUR") == Occurrences(b.paper, "SPOLU EUR") + 1;
       },
       Unanswered(kCommand) + UnansweredAfterSilence(kStatus), true},
      {"EndFiscalReceipt", "P12",
       [](FiscalPrinter& fp) {
         int32_t r = -1;
         fp.EndFiscalReceipt(false, &r);
         return r;
       },
       [](const PrinterView& b, const PrinterView& a) { return b.open && !a.open && a.lastNumber != b.lastNumber; },
       // The close, then the state that tells whether it was made.
       Unanswered(kClose) + UnansweredAfterSilence(kStatus), true},
  };
}

PrinterView View(MatrixCell& cell) {
  return cell.WithPrinter([](emulator::Printer& p) {
    PrinterView view;
    view.open = p.ReceiptOpen();
    view.lines = p.ReceiptLineCount();
    view.paid = p.ReceiptPaid();
    view.lastNumber = p.LastReceiptNumber();
    view.paper = p.Paper();
    return view;
  });
}

// Requests the receipt sends when nothing goes wrong.
int RequestsOfACleanReceipt() {
  MatrixCell cell;
  if (!cell.Started()) return 0;
  const std::size_t before = cell.Trace().size();
  for (const ReceiptStep& step : Steps()) EXPECT_EQ(step.call(cell.Fp()), 0) << step.name;
  return static_cast<int>(cell.Trace().size() - before);
}

// Plays the receipt with the fault armed; checks every call up to the first
// that fails (an application stops there too).
void PlayReceipt(const std::string& fault, bool silent) {
  SCOPED_TRACE(fault);
  MatrixCell cell;
  ASSERT_TRUE(cell.Started());
  ASSERT_EQ(cell.Inject(fault), "ok");
  for (const ReceiptStep& step : Steps()) {
    SCOPED_TRACE(step.name);
    const PrinterView before = View(cell);
    const std::size_t sentBefore = cell.Trace().size();
    SimulatedTime::Reset();
    const int32_t r = step.call(cell.Fp());
    const double waited = SimulatedTime::Seconds();
    const PrinterView after = View(cell);
    EXPECT_LE(waited, step.boundSeconds + 1.0);
    if (r == kSuccess) {
      EXPECT_TRUE(step.done(before, after)) << "success, yet the printer did not do it";
      continue;
    }
    if (r != kTimeout) {
      EXPECT_FALSE(step.done(before, after)) << "failure " << r << ", yet the printer did it";
    }
    // A garbled reply of the step's own command is settled from the printer;
    // a 112 cancels nothing.
    bool ownGarbled = false;
    bool cancelled = false;
    const std::vector<std::string> trace = cell.Trace();
    for (std::size_t i = sentBefore; i < trace.size(); ++i) {
      ownGarbled =
          ownGarbled || (trace[i].compare(0, 3, step.command) == 0 && trace[i].find("garble") != std::string::npos);
      // A cancel is P12 whose first field is "2".
      cancelled = cancelled || (trace[i].compare(0, 4, "P12\t") == 0 && trace[i].find("\t01\t2|") != std::string::npos);
    }
    if (!silent && ownGarbled && step.learnsOutcome) {
      EXPECT_EQ(r, kSuccess) << "the printer could tell";
    }
    if (r == kTimeout) {
      EXPECT_FALSE(cancelled) << "112, yet the service cancelled";
    }
    return;
  }
}

TEST(ReceiptSweep, ThePrinterFallingSilentAtAnyRequest) {
  const int requests = RequestsOfACleanReceipt();
  ASSERT_GT(requests, 20);
  for (int k = 0; k < requests; ++k) {
    PlayReceipt("off after " + std::to_string(k), true);
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(ReceiptSweep, AReplyThatCannotBeReadAtAnyRequestTheprinterCarriedOut) {
  const int requests = RequestsOfACleanReceipt();
  ASSERT_GT(requests, 20);
  for (int k = 0; k < requests; ++k) {
    PlayReceipt("garble 3 after " + std::to_string(k), false);
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
}  // namespace kestrel::testing
