// Fiscal receipts through FiscalPrinter against the virtual printer: the
// command order, payments, the cancel-on-failure rule, cash documents,
// simple invoices, voids and the state machine.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "protocol/Messaging.h"
#include "tests/receipt/ReceiptFixture.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

using Codes_ = std::vector<std::string>;

int CachedState() { return Messaging::Instance().GetFiscalPrinterState(false); }

TEST_F(ReceiptTest, TwoItemReceiptSendsTheCommandsInOrder) {
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecItem("Ro\x9Eok", 1500, 40000, 1, 0, "", &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecItem("Mlieko polotu\xE8n\xE9", 11900, 10000, 2, 11900, "l", &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecTotal(17900, 17900, "", &r);
  ASSERT_EQ(r, 0);
  EXPECT_EQ(CachedState(), kPrinterStateFiscalReceiptEnding);
  fp_.EndFiscalReceipt(false, &r);
  ASSERT_EQ(r, 0);

  const Codes_ expected = {"S09", "S01", "P02", "P03", "P03", "S01", "P08",
                           "P09", "P10", "P11", "S01", "S01", "P12", "S01"};
  Codes_ codes = Codes();
  ASSERT_GT(codes.size(), expected.size());
  EXPECT_EQ(Codes_(codes.begin(), codes.begin() + static_cast<long>(expected.size())), expected);
  // Then the journal transfer until the printer has nothing more.
  for (std::size_t i = expected.size(); i < codes.size(); ++i) EXPECT_EQ(codes[i], "S04") << i;
  const auto records = printer_->Records();
  EXPECT_EQ(records.back().replyCode, 73);
  EXPECT_EQ(LastFields("P08"), (Codes_{"0"}));
  EXPECT_EQ(LastFields("P09"), (Codes_{"1", "1.7900"}));
  EXPECT_EQ(CachedState(), kPrinterStateMonitor);
  EXPECT_NE(printer_->Paper().find("Rožok"), std::string::npos);
}

TEST_F(ReceiptTest, PartialPaymentsShowWhatIsDueThenTheChange) {
  OpenReceiptWithItem();  // 1.00 EUR
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 7500, "1", &r);
  EXPECT_EQ(r, 0) << "an accepted payment that leaves an amount due is not a failure";
  EXPECT_EQ(CachedState(), kPrinterStateFiscalReceiptTotal);
  EXPECT_EQ(Count("P10"), 0);
  const std::vector<std::string> rows = printer_->DisplayRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], "DOPLATIŤ EUR        ");
  EXPECT_EQ(rows[1], "                0,25");

  fp_.PrintRecTotal(10000, 5000, "1", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(CachedState(), kPrinterStateFiscalReceiptEnding);
  EXPECT_DOUBLE_EQ(Messaging::Instance().GetReceiptAmountLeft(), -0.25);
  EXPECT_EQ(Count("P10"), 1);
  EXPECT_EQ(Count("P11"), 1);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(CachedState(), kPrinterStateMonitor);
}

TEST_F(ReceiptTest, PaymentOfZeroPaysTheTotalWithTheDefaultType) {
  OpenReceiptWithItem();
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 0, "", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(LastFields("P09"), (Codes_{"1", "1.0000"}));
}

TEST_F(ReceiptTest, PaymentTypeOfTwoCharactersIsRefusedAndTheReceiptStaysOpen) {
  OpenReceiptWithItem();
  printer_->ForgetRecords();
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 10000, "12", &r);
  EXPECT_EQ(r, 215);
  EXPECT_EQ(Codes(), (Codes_{"S01"}));
  EXPECT_EQ(CachedState(), kPrinterStateFiscalReceipt);
}

TEST_F(ReceiptTest, TotalRefusedAfterThePaymentIsReportedAndCancelsOnce) {
  OpenReceiptWithItem();
  printer_->Fault("reply P10 43");  // the printer's own "amount due" on the total
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 10000, "1", &r);
  EXPECT_EQ(r, kFiscalTotalsError);
  EXPECT_EQ(Count("P11"), 0);
  EXPECT_EQ(Count("P12"), 1);
}

TEST_F(ReceiptTest, PrinterAmountDueOnThePaymentCountsAsAccepted) {
  OpenReceiptWithItem();
  printer_->Fault("reply P09 43");
  int32_t r = -1;
  fp_.PrintRecTotal(10000, 10000, "1", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Count("P10"), 0);
  EXPECT_EQ(Count("P12"), 0);
}

struct CancelCase {
  bool v7Protocol;
  const char* fault;  // injected on the item line
  int reported;
  bool cancelled;
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const CancelCase& c, std::ostream* os) { *os << (c.v7Protocol ? "v7 " : "") << c.fault; }

class CancelOnFailureTest : public ReceiptTest, public ::testing::WithParamInterface<CancelCase> {
 protected:
  void SetUp() override {
    ServiceSetup setup;
    setup.v7Protocol = GetParam().v7Protocol;
    setup.firmware = GetParam().v7Protocol ? "2.5.7" : "2.5.23";
    Start(setup);
  }
};

TEST_P(CancelOnFailureTest, CancelsOnlyAReceiptThatCannotGoOn) {
  const CancelCase& c = GetParam();
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  ASSERT_EQ(printer_->Fault(c.fault), "ok");
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  EXPECT_EQ(r, c.reported);
  EXPECT_EQ(Count("P12"), c.cancelled ? 1 : 0);
  if (c.cancelled) {
    EXPECT_EQ(LastFields("P12")[0], "2");
    EXPECT_EQ(CachedState(), kPrinterStateMonitor);
    return;
  }
  // The receipt is still open: once the fault is gone the call is repeated.
  printer_->Fault("clear");
  printer_->Fault("status auto");
  EXPECT_EQ(CachedState(), kPrinterStateFiscalReceipt);
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  EXPECT_EQ(r, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, CancelOnFailureTest,
                         ::testing::Values(CancelCase{false, "noreply 3 P03", kTimeout, false},
                                           CancelCase{false, "error 1", kCoverOpen, false},
                                           CancelCase{false, "error 3", kReceiptEmpty, false},
                                           CancelCase{false, "reply P03 44", kIllegal, true},
                                           CancelCase{false, "reply P03 41", kDayEndRequired, true},
                                           CancelCase{true, "noreply 3 P03", kTimeout, false},
                                           CancelCase{true, "error 1", kCoverOpen, true},
                                           CancelCase{true, "error 3", kReceiptEmpty, true},
                                           CancelCase{true, "reply P03 44", kIllegal, true}));

TEST_F(ReceiptTest, ItemChecksRefuseWithoutTraffic) {
  int32_t r = -1;
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  EXPECT_EQ(r, kWrongState) << "no receipt is open";
  OpenReceiptWithItem();
  printer_->ForgetRecords();
  fp_.PrintRecItem("Chlieb", 10000, 10000, 9, 0, "", &r);
  EXPECT_EQ(r, kIllegal);
  fp_.PrintRecItem("Chlieb", 999999990001LL, 10000, 1, 0, "", &r);
  EXPECT_EQ(r, kBadItemAmount);
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, -999999990001LL, "", &r);
  EXPECT_EQ(r, kBadItemAmount);
  EXPECT_EQ(Count("P03"), 0);
  fp_.PrintRecItem("Chlieb", 999999990000LL, 10000, 1, 0, "", &r);
  EXPECT_EQ(Count("P03"), 1) << "the largest amount is accepted";
}

TEST_F(ReceiptTest, VoidItemSendsAVoidLineWithTheDerivedUnitPrice) {
  OpenReceiptWithItem();
  int32_t r = -1;
  fp_.PrintRecVoidItem("Chlieb", 30000, 20000, 1, 5000, 1, &r);
  EXPECT_EQ(LastFields("P03"), (Codes_{"3", "ks", "1", "2.0000", "1.5000", "Chlieb" + std::string(14, ' ')}));
}

TEST_F(ReceiptTest, ReceiptTypesWithoutADocumentPrintNothing) {
  for (int32_t type : {3, 5, 7}) {
    SetReceiptType(type);
    printer_->ForgetRecords();
    int32_t r = -1;
    fp_.BeginFiscalReceipt(true, &r);
    EXPECT_EQ(r, 0) << type;
    fp_.EndFiscalReceipt(true, &r);
    EXPECT_EQ(r, 0) << type;
    EXPECT_EQ(Count("P02"), 0) << type;
    EXPECT_EQ(Count("P12"), 0) << type;
  }
}

TEST_F(ReceiptTest, SingleCashReceiptsPrintWholeDocuments) {
  SetReceiptType(2);  // cash out
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  EXPECT_EQ(Count("P02"), 0);
  fp_.PrintRecCash(50000, &r);
  ASSERT_EQ(r, 0);
  const std::vector<std::string> fields = LastFields("P14");
  ASSERT_GE(fields.size(), 2u);
  EXPECT_EQ(fields[0], "-5.0000");
  EXPECT_NE(fields[1].find(text::kTextCashOutDrawer), std::string::npos);
  printer_->ForgetRecords();
  fp_.EndFiscalReceipt(true, &r);
  EXPECT_EQ(r, 0);
  EXPECT_TRUE(Codes().empty());

  fp_.PrintRecCash(-50000, &r);
  EXPECT_EQ(r, kBadItemAmount);
}

TEST_F(ReceiptTest, SingleCashReceiptNeedsAnOpenDay) {
  SetReceiptType(1);
  printer_->Fault("eod on");
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  EXPECT_EQ(r, kDayEndRequired);

  // A printer that cannot tell is not taken as saying the day is open.
  printer_->Fault("eod off");
  printer_->Fault("noreply 6 S01");  // three for the state check, three for the day
  fp_.BeginFiscalReceipt(true, &r);
  EXPECT_EQ(r, kTimeout);
}

// The virtual printer takes cash and invoice documents only on their own
// (it answers 42 inside an open receipt), so the ticket forms are checked by
// what the service sends; the complete flows below wait for it.
TEST_F(ReceiptTest, CashTicketSendsACashLineIntoTheOpenTicket) {
  ServiceSetup setup;
  setup.singleCashReceipt = false;
  Start(setup);
  SetReceiptType(1);
  int32_t r = -1;
  fp_.PrintRecCash(50000, &r);
  EXPECT_EQ(r, kWrongState) << "a cash line needs an open ticket";
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  EXPECT_EQ(Count("P02"), 1);
  printer_->ForgetRecords();
  fp_.PrintRecCash(50000, &r);
  EXPECT_EQ(Count("P12"), 0) << "no cancel follows a refused cash line";
  EXPECT_EQ(LastFields("P14"), (Codes_{"5.0000", std::string(text::kTextCashIn)}));
}

TEST_F(ReceiptTest, CashTicketIsPaidAndClosedByTheEnd) {
  ServiceSetup setup;
  setup.singleCashReceipt = false;
  Start(setup);
  SetReceiptType(1);
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecCash(50000, &r);
  ASSERT_EQ(r, 0);
  fp_.EndFiscalReceipt(true, &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(LastFields("P09"), (Codes_{"1", "0.0000"}));
  EXPECT_EQ(Count("P12"), 1);
  EXPECT_EQ(CachedState(), kPrinterStateMonitor);
}

TEST_F(ReceiptTest, SimpleInvoiceOnNewFirmwareSendsTheInvoiceLine) {
  SetReceiptType(6);
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  EXPECT_EQ(Count("P02"), 1);
  fp_.PrintRecItem("F-77", 120000, 0, 99, 0, "", &r);  // VAT and quantity are not used
  EXPECT_NE(r, kIllegal) << "the VAT number is not checked for an invoice";
  EXPECT_EQ(LastFields("P24"), (Codes_{"12.0000", std::string(text::kTextInvoice) + " \xE8.F-77"}));
}

TEST_F(ReceiptTest, SimpleInvoiceOnNewFirmwareIsPaidAndClosedLikeASale) {
  SetReceiptType(6);
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecItem("F-77", 120000, 0, 99, 0, "", &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecTotal(120000, 120000, "1", &r);
  EXPECT_EQ(r, 0);
  fp_.EndFiscalReceipt(true, &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Count("P12"), 1);
}

TEST_F(ReceiptTest, SimpleInvoiceOnOldFirmwareIsPaidAsAPaymentDocument) {
  ServiceSetup setup;
  setup.firmware = "2.5.14";
  Start(setup);
  SetReceiptType(6);
  int32_t r = -1;
  fp_.PrintRecTotal(120000, 120000, "2|F-77", &r);
  EXPECT_EQ(Count("P09"), 0);
  EXPECT_EQ(Count("P23"), 1);
  EXPECT_EQ(LastFields("P23")[0], "2");
}

TEST_F(ReceiptTest, VoidCancelsAnOpenReceipt) {
  int32_t r = -1;
  fp_.PrintRecVoid("", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Codes(), (Codes_{"S01"})) << "nothing open: only the state is asked";

  OpenReceiptWithItem();
  fp_.PrintRecVoid("storno", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(LastFields("P12")[0], "2");
  EXPECT_EQ(CachedState(), kPrinterStateMonitor);
}

TEST_F(ReceiptTest, VoidReportsARefusedCancelEvenWhenTheFallbackSucceeds) {
  OpenReceiptWithItem();
  printer_->Fault("reply P12 71");
  int32_t r = -1;
  fp_.PrintRecVoid("storno", &r);
  EXPECT_EQ(r, kBadItemAmount) << "the receipt may still be open at the printer";
  EXPECT_GE(Count("P22"), 1) << "the document was ended as a non-fiscal one";
}

TEST_F(ReceiptTest, EndOfAReceiptAlreadyClosedAtThePrinterFreesTheNextOne) {
  OpenReceiptWithItem();
  // The receipt is cancelled at the printer behind the service's back.
  Messaging& m = Messaging::Instance();
  m.CreatePacketOut("P12", kPacketTypeCommand);
  m.AddPacketOutField("2");
  m.AddPacketOutField("2");
  m.AddPacketOutText("", true, 200);
  m.ClosePacketOut();
  ASSERT_EQ(m.SendReceive(5), kSuccess);
  printer_->ForgetRecords();

  int32_t r = -1;
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(Count("P12"), 0);
  fp_.BeginFiscalReceipt(true, &r);
  EXPECT_EQ(r, 0);
}

TEST_F(ReceiptTest, DuplicateAsksForACopyOfTheLastReceipt) {
  int32_t r = -1;
  fp_.PrintDuplicateReceipt(&r);
  EXPECT_EQ(LastFields("P13"), (Codes_{"1", "0"}));
  OpenReceiptWithItem();
  fp_.PrintDuplicateReceipt(&r);
  EXPECT_EQ(r, kWrongState);
}

TEST_F(ReceiptTest, MessageAndSubtotalPrintInsideTheReceipt) {
  OpenReceiptWithItem();
  int32_t r = -1;
  fp_.PrintRecMessage("Vern\xE9 body: 12", &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(LastFields("P20"), (Codes_{"0", "Vern\xE9 body: 12" + std::string(26, ' ')}));
  fp_.PrintRecSubtotal(0, &r);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(LastFields("P08"), (Codes_{"1"}));
}

}  // namespace
}  // namespace kestrel::testing
