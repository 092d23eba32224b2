// No success without the printer's word: a receipt command whose reply never
// came readable is judged by what the printer shows afterwards (the subtotal
// for a line, the state for a payment, a close or a cancel); a state the
// printer does not give is reported, never taken for "no receipt open"; a
// receipt the service cancelled itself is not ended with success; and a
// total that failed after the payment can be printed by repeating the call.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "journal/Journal.h"
#include "protocol/Messaging.h"
#include "tests/receipt/ReceiptFixture.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

enum class Step {
  kItem,
  kItemVoid,
  kItemAdjustment,
  kSubtotalAdjustment,
  kMessage,
  kPrintedSubtotal,
  kPayAll,
  kPayPart,
  kEnd
};

struct WordCase {
  const char* name;
  std::vector<std::string> faults;  // played on the call
  Step step;
  int32_t reported;  // what the call returns
  bool cancelled;    // the service cancelled the receipt itself
  int linesAdded;    // lines the printer holds afterwards beyond those before
};
void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }

class PrinterWordTest : public ReceiptTest, public ::testing::WithParamInterface<WordCase> {
 protected:
  int32_t Call(Step step) {
    int32_t r = -1;
    switch (step) {
      case Step::kItem:
        fp_.PrintRecItem("Mlieko", 9900, 10000, 1, 0, "", &r);
        break;
      case Step::kItemVoid:
        fp_.PrintRecItemVoid("Chlieb", 10000, 10000, 1, 0, "", &r);
        break;
      case Step::kItemAdjustment:
        fp_.PrintRecItemAdjustment(1, "Zlava", 1000, 1, &r);
        break;
      case Step::kSubtotalAdjustment:
        fp_.PrintRecSubtotalAdjustment(1, "", 1000, &r);
        break;
      case Step::kMessage:
        fp_.PrintRecMessage("Dakujeme", &r);
        break;
      case Step::kPrintedSubtotal:
        fp_.PrintRecSubtotal(0, &r);
        break;
      case Step::kPayAll:
        fp_.PrintRecTotal(10000, 20000, "1", &r);
        break;
      case Step::kPayPart:
        fp_.PrintRecTotal(10000, 5000, "1", &r);
        break;
      case Step::kEnd:
        fp_.EndFiscalReceipt(false, &r);
        break;
    }
    return r;
  }
  int Cancels() {
    int n = 0;
    for (const auto& record : printer_->Records()) n += record.code == "P12" && record.fields[0] == "2" ? 1 : 0;
    return n;
  }
  std::size_t Lines() {
    return printer_->WithCore([](emulator::Printer& p) { return p.ReceiptLineCount(); });
  }
  bool PrinterReceiptOpen() {
    return printer_->WithCore([](emulator::Printer& p) { return p.ReceiptOpen(); });
  }
};

TEST_P(PrinterWordTest, AnUnreadableReplyIsSettledFromWhatThePrinterShows) {
  const WordCase& c = GetParam();
  OpenReceiptWithItem();
  int32_t r = -1;
  if (c.step == Step::kEnd) {
    fp_.PrintRecTotal(10000, 10000, "1", &r);
    ASSERT_EQ(r, 0);
  }
  const std::size_t linesBefore = Lines();
  printer_->ForgetRecords();
  for (const std::string& fault : c.faults) ASSERT_EQ(printer_->Fault(fault), "ok") << fault;

  EXPECT_EQ(Call(c.step), c.reported);
  EXPECT_EQ(Cancels(), c.cancelled ? 1 : 0);
  if (c.reported == kTimeout) {
    EXPECT_EQ(ErrorString(), text::kTextNoReply);
  }
  printer_->Fault("clear");

  if (c.step == Step::kEnd && c.reported == kSuccess) {
    // Finished as a close: one close sent, the number kept, the journal fetched.
    EXPECT_FALSE(PrinterReceiptOpen());
    EXPECT_EQ(Count("P12"), 3);
    EXPECT_EQ(Journal::Instance().GetReceiptNumber(),
              printer_->WithCore([](emulator::Printer& p) { return p.LastReceiptNumber(); }));
    EXPECT_GE(Count("S04"), 1);
    return;
  }
  // A close done but not learnt of leaves no receipt, yet 112 all the same.
  const bool closedUnheard = c.step == Step::kEnd && c.reported == kTimeout;
  EXPECT_EQ(PrinterReceiptOpen(), !c.cancelled && !closedUnheard);
  if (c.cancelled) return;
  if (!closedUnheard) {
    EXPECT_EQ(Lines(), linesBefore + static_cast<std::size_t>(c.linesAdded));
  }

  // What the printer has is what the application can go on with.
  // A payment whose total did not print is repeated; it pays nothing more.
  const int state = Messaging::Instance().GetFiscalPrinterState(true);
  if (state == kPrinterStateFiscalReceipt || state == kPrinterStateFiscalReceiptTotal ||
      (c.step == Step::kPayAll && c.reported != kSuccess)) {
    fp_.PrintRecTotal(10000, 100000, "1", &r);
    EXPECT_EQ(r, 0);
  }
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);
  EXPECT_FALSE(PrinterReceiptOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Garbled, PrinterWordTest,
    ::testing::Values(
        // Carried out, the subtotal or the state shows it: success.
        WordCase{"item", {"garble 3 P03"}, Step::kItem, kSuccess, false, 1},
        WordCase{"item_void", {"garble 3 P03"}, Step::kItemVoid, kSuccess, false, 1},
        WordCase{"item_adjustment", {"garble 3 P06"}, Step::kItemAdjustment, kSuccess, false, 1},
        WordCase{"subtotal_adjustment", {"garble 3 P07"}, Step::kSubtotalAdjustment, kSuccess, false, 1},
        WordCase{"payment_in_full", {"garble 3 P09"}, Step::kPayAll, kSuccess, false, 0},
        WordCase{"payment_in_part", {"garble 3 P09"}, Step::kPayPart, kSuccess, false, 0},
        WordCase{"close", {"garble 3 P12"}, Step::kEnd, kSuccess, false, 0},
        // Nothing the printer shows tells: 112, and nothing is cancelled.
        WordCase{"message", {"garble 3 P20"}, Step::kMessage, kTimeout, false, 0},
        WordCase{"printed_subtotal", {"garble 3 P08"}, Step::kPrintedSubtotal, kTimeout, false, 0},
        WordCase{"total_after_payment", {"garble 3 P10"}, Step::kPayAll, kTimeout, false, 0},
        WordCase{"item_then_silence", {"garble 3 P03", "noreply 3 P08"}, Step::kItem, kTimeout, false, 1},
        WordCase{"close_then_silence", {"garble 3 P12", "noreply 3 S01 after 2"}, Step::kEnd, kTimeout, false, 0},
        // Refused, and the refusals unreadable: the printer shows nothing
        // done, so the failure stands and cancels as any other.
        WordCase{"item_refused", {"reply P03 44 3", "badcrc 3 P03"}, Step::kItem, kFailure, true, 0},
        WordCase{"close_refused", {"reply P12 43 3", "badcrc 3 P12"}, Step::kEnd, kFailure, true, 0},
        // Silent for the line, answering the subtotal: not done, as before.
        WordCase{"item_unheard", {"noreply 3 P03"}, Step::kItem, kTimeout, false, 0}),
    [](const ::testing::TestParamInfo<WordCase>& p) { return std::string(p.param.name); });

// The state a method must know, asked of a printer that does not answer, is
// reported as such: never taken for "no receipt open", and nothing is sent
// after it. A new session knows nothing of the receipt its printer holds.
TEST_F(ReceiptTest, ASilentPrinterIsNotTakenForAClosedReceipt) {
  OpenReceiptWithItem();
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 10000, "1", &r);
  ASSERT_EQ(r, 0);
  // A new process: the cached state starts at "monitor".
  fp_.ReleaseDevice(&r);
  fp_.CloseService(&r);
  SingletonReset::All();
  std::string step;
  ASSERT_EQ(OpenClaimEnable(fp_, &step), 0) << step;
  printer_->ForgetRecords();
  printer_->Fault("off");

  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, kTimeout);
  fp_.PrintRecVoid("", &r);
  EXPECT_EQ(r, kTimeout);
  fp_.PrintRecItem("Mlieko", 9900, 10000, 1, 0, "", &r);
  EXPECT_EQ(r, kTimeout) << "not 207: the printer did not say which state it is in";
  for (const auto& record : printer_->Records()) EXPECT_EQ(record.code, "S01");

  printer_->Fault("on");
  EXPECT_TRUE(printer_->WithCore([](emulator::Printer& p) { return p.ReceiptOpen(); }));
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);
  EXPECT_FALSE(printer_->WithCore([](emulator::Printer& p) { return p.ReceiptOpen(); }));
}

// Once the service cancelled a receipt after a failure, ending it reports
// that failure again; a void, a new receipt or a new session forget it.
TEST_F(ReceiptTest, AReceiptTheServiceCancelledIsNotEndedWithSuccess) {
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  printer_->Fault("reply P03 44");
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  ASSERT_EQ(r, kIllegal);
  for (int again = 0; again < 2; ++again) {
    fp_.EndFiscalReceipt(false, &r);
    EXPECT_EQ(r, kIllegal);
    EXPECT_EQ(ErrorString(), text::kTextOutOfRange);
  }
  fp_.PrintRecVoid("", &r);
  EXPECT_EQ(r, 0);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);

  // A new receipt forgets the cancel of the one before.
  fp_.BeginFiscalReceipt(true, &r);
  printer_->Fault("busy P03");
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  ASSERT_EQ(r, kBusy);
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  fp_.PrintRecTotal(10000, 10000, "1", &r);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);

  // The usual void path answers 0 to both.
  OpenReceiptWithItem();
  fp_.PrintRecVoid("", &r);
  EXPECT_EQ(r, 0);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);
}

// The cover opened or the paper ran out on the total or the VAT table, after
// the payment: the receipt stays open, and the repeated call prints what is
// missing without paying again.
struct RepeatCase {
  const char* fault;
  int totals;     // P10 sent in all
  int vatTables;  // P11 sent in all
};
void PrintTo(const RepeatCase& c, std::ostream* os) { *os << c.fault; }

class TotalRepeatTest : public ReceiptTest, public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(TotalRepeatTest, ARepeatPrintsWhatTheFirstCallCouldNot) {
  OpenReceiptWithItem();
  printer_->ForgetRecords();
  ASSERT_EQ(printer_->Fault(GetParam().fault), "ok");
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 10000, "1", &r);
  EXPECT_TRUE(r == kCoverOpen || r == kReceiptEmpty) << r;
  EXPECT_EQ(Count("P12"), 0);
  printer_->Fault("clear");
  printer_->Fault("status auto");

  fp_.PrintRecTotal(10000, 10000, "1", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Count("P09"), 1) << "paid once";
  EXPECT_EQ(Count("P10"), GetParam().totals);
  EXPECT_EQ(Count("P11"), GetParam().vatTables);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);
  const std::string paper = printer_->Paper();
  EXPECT_NE(paper.find("SPOLU EUR"), std::string::npos);
  EXPECT_EQ(paper.find("SPOLU EUR"), paper.rfind("SPOLU EUR")) << "the total printed once";
}

INSTANTIATE_TEST_SUITE_P(Steps, TotalRepeatTest,
                         ::testing::Values(RepeatCase{"error 3 P10", 2, 1}, RepeatCase{"error 1 P11", 1, 2}),
                         [](const ::testing::TestParamInfo<RepeatCase>& p) {
                           return std::string(p.param.fault).substr(8);
                         });

}  // namespace
}  // namespace kestrel::testing
