// The receipt command set as the printer receives it: the fields of each
// request, the replies the commands keep, and the multi-packet commands.
#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "journal/Journal.h"
#include "protocol/Messaging.h"
#include "service/PrinterJournal.h"
#include "tests/receipt/ReceiptFixture.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

using Fields = std::vector<std::string>;

std::string Spaces(std::size_t n) { return std::string(n, ' '); }

class CommandTest : public ReceiptTest {
 protected:
  Messaging& M() { return Messaging::Instance(); }
  // The journal's trailer and header, as the service hands them to the commands.
  JournalTexts& Texts() {
    texts_ = std::make_unique<JournalTexts>(M());
    return *texts_;
  }
  void OpenTicket() {
    ASSERT_EQ(M().StartTicket(false, ""), kSuccess);
    printer_->ForgetRecords();
  }
  // One item of 1.00 paid exactly, total and VAT table printed: ready to close.
  void SellAndPay() {
    ASSERT_EQ(M().Item(0, "Chlieb", 10000, 0, 1, 0, ""), kSuccess);
    ASSERT_EQ(M().Payment(10000, "1", true, 2), kSuccess);
    ASSERT_EQ(M().PrintTotal(), kSuccess);
    ASSERT_EQ(M().PrintVatTable(), kSuccess);
  }

 private:
  std::unique_ptr<JournalTexts> texts_;
};

// Commands run against a printer with the firmware the case names.
template <class Case>
class OnFirmwareOfCase : public CommandTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    ServiceSetup setup;
    setup.firmware = this->GetParam().firmware;
    Start(setup);
  }
};

struct ItemCase {
  int kind;
  long long price;
  int quantity;
  long long unitPrice;
  const char* unit;
  Fields expected;  // kind, unit, VAT, quantity, unit price
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const ItemCase& c, std::ostream* os) {
  *os << "kind " << c.kind << ", " << c.price << " x " << c.quantity;
}

class ItemFieldsTest : public CommandTest, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(ItemFieldsTest, SendsKindUnitQuantityAndUnitPrice) {
  OpenTicket();
  const ItemCase& c = GetParam();
  M().Item(c.kind, "Chlieb", c.price, c.quantity, 2, c.unitPrice, c.unit);
  Fields fields = LastFields("P03");
  ASSERT_EQ(fields.size(), 6u);
  EXPECT_EQ(fields[5], "Chlieb" + Spaces(14));
  fields.pop_back();
  EXPECT_EQ(fields, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, ItemFieldsTest,
                         ::testing::Values(
                             // Quantity 0 is one piece; the unit price is derived from the price.
                             ItemCase{0, 25000, 0, 0, "", {"1", "ks", "2", "1.0000", "2.5000"}},
                             ItemCase{0, 30000, 20000, 0, "kusov", {"1", "kus", "2", "2.0000", "1.5000"}},
                             // A given unit price wins; the line price is not sent at all.
                             ItemCase{0, 99990000, 25000, 12345, "kg", {"1", "kg", "2", "2.5000", "1.2345"}},
                             ItemCase{1, 10000, 10000, 0, "", {"3", "ks", "2", "1.0000", "1.0000"}},
                             ItemCase{2, 10000, 10000, 0, "", {"2", "ks", "2", "1.0000", "1.0000"}},
                             ItemCase{7, 10000, 10000, 0, "", {"1", "ks", "2", "1.0000", "1.0000"}}));

TEST_F(CommandTest, ItemKeepsTheLineAmountThePrinterReports) {
  OpenTicket();
  ASSERT_EQ(M().Item(0, "Mlieko", 30000, 20000, 1, 0, ""), kSuccess);
  EXPECT_DOUBLE_EQ(M().GetReceiptItemAmount(), 3.0);
}

TEST_F(CommandTest, ItemAdjustmentMarksOnlyOneLineDescriptions) {
  OpenTicket();
  M().ItemAdjustment(0, "Zlava 10c", 1, -10000);
  EXPECT_EQ(LastFields("P06"), (Fields{"1", "*  ", "1", "1.0000", "-1.0000", "Zlava 10c" + Spaces(11)}));
  M().ItemAdjustment(1, std::string(30, 'z').c_str(), 3, 5000);
  EXPECT_EQ(LastFields("P06"), (Fields{"2", "   ", "3", "1.0000", "0.5000", std::string(30, 'z') + Spaces(10)}));
}

TEST_F(CommandTest, StartTicketWritesSundayAsSevenAndPadsTheReceiptId) {
  std::tm sunday = {};
  sunday.tm_year = 2026 - 1900;
  sunday.tm_mon = 1;  // 1 February 2026 is a Sunday
  sunday.tm_mday = 1;
  sunday.tm_hour = 12;
  sunday.tm_isdst = -1;
  PinClock(std::mktime(&sunday));

  ASSERT_EQ(M().StartTicket(true, "123"), kSuccess);
  EXPECT_EQ(LastFields("P02"), (Fields{"1", "0", "202602011200007", "0000000000000123"}));
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateFiscalReceipt);
  M().CloseTicket(true, Texts());
  ASSERT_EQ(M().StartTicket(false, ""), kSuccess);
  EXPECT_EQ(LastFields("P02"), (Fields{"0", "0", "202602011200007"}));
}

TEST_F(CommandTest, CloseTicketSendsTheTrailerOrOneBlankLine) {
  OpenTicket();
  ASSERT_EQ(M().CloseTicket(true, Texts()), kSuccess);
  EXPECT_EQ(LastFields("P12"), (Fields{"2", "2", Spaces(40)}));
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateMonitor);
  // A cancelled receipt does not count: the stored number stays.
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), 0);

  const std::string trailer = "Dakujeme za nakup, dovidenia a pekny den!";  // 41 characters
  ASSERT_EQ(Journal::Instance().UpdateReceiptTrailer(trailer.c_str()), kSuccess);
  OpenTicket();
  SellAndPay();
  ASSERT_EQ(CloseReceipt(M(), Texts()), kSuccess);
  EXPECT_EQ(LastFields("P12"), (Fields{"1", "2", trailer.substr(0, 40), "!" + Spaces(39)}));
  EXPECT_GT(Journal::Instance().GetReceiptNumber(), 0);
}

TEST_F(CommandTest, CloseTicketKeepsTheStoredNumberWhenThePrinterCannotTellIt) {
  ASSERT_EQ(Journal::Instance().UpdateReceiptNumber(41), kSuccess);
  OpenTicket();
  SellAndPay();
  printer_->Fault("badcrc 3 S01");  // the receipt number request, all three attempts
  ASSERT_EQ(CloseReceipt(M(), Texts()), kSuccess);
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), 41);
}

TEST_F(CommandTest, CloseTicketSendsNothingMoreToAPrinterThatStoppedAnswering) {
  ASSERT_EQ(Journal::Instance().UpdateReceiptNumber(41), kSuccess);
  OpenTicket();
  SellAndPay();
  printer_->ForgetRecords();
  printer_->Fault("noreply 3 S01");  // the receipt number request, all three attempts
  EXPECT_EQ(CloseReceipt(M(), Texts()), kTimeout);
  EXPECT_EQ(Count("P12"), 0);
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), 41);
}

TEST_F(CommandTest, CashSendsALineOrAWholeDocument) {
  OpenTicket();
  M().Cash(-10000, false, Texts());
  EXPECT_EQ(LastFields("P14"), (Fields{"-1.0000", std::string(text::kTextCashOut) + " "}));  // 20 wide
  M().CloseTicket(true, Texts());

  ASSERT_EQ(Journal::Instance().UpdateReceiptTrailer("Dovidenia"), kSuccess);
  printer_->ForgetRecords();
  ASSERT_EQ(M().Cash(50000, true, Texts()), kSuccess);
  const std::string caption = text::kTextCashInDrawer;  // 27 characters, 6 blanks before
  EXPECT_EQ(LastFields("P14"), (Fields{"5.0000", Spaces(6) + caption + Spaces(7), "Dovidenia" + Spaces(31)}));
}

TEST_F(CommandTest, TicketCopyOutsideItsRangeSendsNothing) {
  EXPECT_EQ(M().TicketCopy(100000), kIllegal);
  EXPECT_EQ(M().TicketCopy(-1), kIllegal);
  EXPECT_TRUE(Codes().empty());
  M().TicketCopy(99999);
  EXPECT_EQ(LastFields("P13"), (Fields{"1", "99999"}));
}

TEST_F(CommandTest, PrintLinesSendsEveryPieceAndReportsTheFirstFailure) {
  std::string text;
  for (int i = 0; i < 450; ++i) text += static_cast<char>('a' + i % 26);
  text.insert(100, "\r\n\t");       // control bytes are dropped before the cut
  printer_->Fault("reply P20 44");  // the first piece is refused
  EXPECT_EQ(M().PrintLines(text.c_str(), false), kIllegal);

  const auto records = printer_->Records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].fields.size(), 6u);
  EXPECT_EQ(records[1].fields.size(), 6u);
  ASSERT_EQ(records[2].fields.size(), 3u);
  EXPECT_EQ(records[2].fields[0], "0");
  EXPECT_EQ(records[2].fields[2], text.substr(443, 10) + Spaces(30));
}

TEST_F(CommandTest, PrintLinesOfNothingFeedsOneBlankLine) {
  EXPECT_EQ(M().PrintLines("\n", false), kSuccess);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"P20"}));
  EXPECT_EQ(LastFields("P20"), (Fields{"0", Spaces(40)}));
}

TEST_F(CommandTest, PrintSlipSendsCodePage852AsHexInPiecesEndedByCr) {
  const std::string text = std::string(99, 'a') + "\xE8";  // the last letter is c with caron
  M().PrintSlip(text.c_str());
  const auto records = printer_->Records();
  ASSERT_EQ(records.size(), 2u);
  std::string hex;
  for (int i = 0; i < 80; ++i) hex += "61";
  EXPECT_EQ(records[0].fields, (Fields{hex}));
  EXPECT_EQ(records[1].fields, (Fields{hex.substr(0, 38) + "9F" + "0D"}));
}

TEST_F(CommandTest, EndNonFiscalOnTheSlipSendsNothing) {
  OpenTicket();
  EXPECT_EQ(M().EndNonFiscal(kStationSlip, Texts()), kSuccess);
  EXPECT_TRUE(Codes().empty());
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateMonitor);
}

struct InvoiceCase {
  const char* firmware;
  long long amount;
  std::string text;
  const char* command;
  Fields expected;
};
void PrintTo(const InvoiceCase& c, std::ostream* os) { *os << c.firmware << " " << c.amount; }

using InvoiceTest = OnFirmwareOfCase<InvoiceCase>;

TEST_P(InvoiceTest, ChoosesCommandTypeAndCaptionByFirmware) {
  const InvoiceCase& c = GetParam();
  M().Invoice(c.amount, c.text.c_str(), Texts());
  EXPECT_EQ(Count(c.command == std::string("P24") ? "P23" : "P24"), 0);
  EXPECT_EQ(LastFields(c.command), c.expected);
}

const std::string kInvoiceF77 = std::string(text::kTextInvoice) + " \xE8.F-77";  // 14 characters

INSTANTIATE_TEST_SUITE_P(
    Firmware, InvoiceTest,
    ::testing::Values(
        InvoiceCase{"2.5.14", 120000, "2|F-77", "P23", {"2", "12.0000", Spaces(13) + kInvoiceF77 + Spaces(13)}},
        InvoiceCase{"2.5.14", -120000, "77", "P23", {"1", "-12.0000", Spaces(13) + "Dobropis \xE8.77" + Spaces(14)}},
        // Neither major 2 nor minor 21: no type field.
        InvoiceCase{"1.0.20",
                    10000,
                    "5|9",
                    "P23",
                    {"1.0000", Spaces(14) + std::string(text::kTextInvoice) + " \xE8.9" + Spaces(15)}},
        InvoiceCase{"3.0.1", 10000, "Faktura 2026/15", "P24", {"1.0000", "Faktura 2026/15"}},
        InvoiceCase{"2.5.22", -10000, "77", "P24", {"-1.0000", "Dobropis \xE8.77"}},
        InvoiceCase{"2.5.22", 10000, "A B" + std::string(150, 'x'), "P24", {"1.0000", "A B" + std::string(97, 'x')}}));

// The stored texts as a command asks for them: each read counted. A command
// reads the trailer only for a document that prints it, since the daily log
// shows every read.
struct CountingTexts : DocumentTexts {
  int trailerReads = 0;
  int headerReads = 0;
  int headerResult = kSuccess;
  std::string Trailer() override {
    ++trailerReads;
    return "Dakujeme";
  }
  int Header(std::string& header) override {
    ++headerReads;
    header = headerResult == kSuccess ? std::string(40, 'H') : "";
    return headerResult;
  }
};

struct TrailerCase {
  const char* name;
  const char* firmware;
  bool ticketOpen;  // the command runs inside an open receipt
  int (*command)(Messaging&, DocumentTexts&);
  int reads;  // 1: the trailer is read once and printed
};
void PrintTo(const TrailerCase& c, std::ostream* os) { *os << c.name; }

int CancelReceipt(Messaging& m, DocumentTexts& texts) { return m.CloseTicket(true, texts); }
int CashLine(Messaging& m, DocumentTexts& texts) { return m.Cash(10000, false, texts); }
int CashDocument(Messaging& m, DocumentTexts& texts) { return m.Cash(10000, true, texts); }
int InvoiceNumbered(Messaging& m, DocumentTexts& texts) { return m.Invoice(10000, "77", texts); }
int EndOnSlip(Messaging& m, DocumentTexts& texts) { return m.EndNonFiscal(kStationSlip, texts); }
int EndOnRoll(Messaging& m, DocumentTexts& texts) { return m.EndNonFiscal(kStationReceipt, texts); }

using TrailerReadTest = OnFirmwareOfCase<TrailerCase>;

TEST_P(TrailerReadTest, ReadsTheTrailerOnlyForADocumentThatPrintsIt) {
  const TrailerCase& c = GetParam();
  if (c.ticketOpen) OpenTicket();
  CountingTexts texts;
  ASSERT_EQ(c.command(M(), texts), kSuccess);
  EXPECT_EQ(texts.trailerReads, c.reads);
  EXPECT_EQ(texts.headerReads, 0);
  bool printed = false;
  for (const auto& record : printer_->Records()) {
    for (const std::string& field : record.fields) printed = printed || field == "Dakujeme" + Spaces(32);
  }
  EXPECT_EQ(printed, c.reads == 1);
}

INSTANTIATE_TEST_SUITE_P(Documents, TrailerReadTest,
                         ::testing::Values(TrailerCase{"cancel", "2.5.23", true, CancelReceipt, 1},
                                           TrailerCase{"cash_line", "2.5.23", true, CashLine, 0},
                                           TrailerCase{"cash_document", "2.5.23", false, CashDocument, 1},
                                           TrailerCase{"invoice", "2.5.23", false, InvoiceNumbered, 0},
                                           // Older firmware prints an invoice as a payment document.
                                           TrailerCase{"payment_document", "2.5.14", false, InvoiceNumbered, 1},
                                           TrailerCase{"end_on_slip", "2.5.23", false, EndOnSlip, 0},
                                           TrailerCase{"end_on_roll", "2.5.23", false, EndOnRoll, 1}));

TEST_F(CommandTest, CloseTicketHandsBackTheNumberItAskedAndStoresNothing) {
  ASSERT_EQ(Journal::Instance().UpdateReceiptNumber(41), kSuccess);
  OpenTicket();
  SellAndPay();
  CountingTexts texts;
  int number = -1;
  ASSERT_EQ(M().CloseTicket(false, texts, &number), kSuccess);
  EXPECT_EQ(number, printer_->WithCore([](emulator::Printer& p) { return p.LastReceiptNumber(); }));
  // Storing the number and fetching the journal are the caller's.
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), 41);
  EXPECT_EQ(Count("S04"), 0);
}

TEST_F(CommandTest, PrintHeaderPrintsNothingWhenTheHeaderCouldNotBeMade) {
  CountingTexts texts;
  texts.headerResult = kTimeout;
  EXPECT_EQ(M().PrintHeader(2, 1, kStationReceipt, 0, texts), kTimeout);
  EXPECT_EQ(texts.headerReads, 1);
  EXPECT_TRUE(Codes().empty());

  texts.headerResult = kSuccess;
  ASSERT_EQ(M().PrintHeader(0, 0, kStationReceipt, 0, texts), kSuccess);
  EXPECT_EQ(LastFields("P20"), (Fields{"0", std::string(40, 'H')}));
}

TEST_F(CommandTest, PaymentLeavingAnAmountDueShowsItOnTheDisplay) {
  OpenTicket();
  M().Item(0, "Chlieb", 100000, 0, 1, 0, "");
  EXPECT_EQ(M().Payment(75000, "1", false, 2), kFiscalTotalsError);
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateFiscalReceiptTotal);
  EXPECT_DOUBLE_EQ(M().GetReceiptAmountLeft(), 2.5);
  EXPECT_EQ(LastFields("D01"), (Fields{std::string(text::kTextToPay) + Spaces(8), Spaces(16) + "2,50"}));

  // Paying more than is due settles the receipt; the change shows nothing here.
  EXPECT_EQ(M().Payment(50000, "1", false, 2), kSuccess);
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateFiscalReceiptEnding);
  EXPECT_DOUBLE_EQ(M().GetReceiptAmountLeft(), -2.5);
}

TEST_F(CommandTest, AppendJournalsWithNothingNewAppendsNothing) {
  EXPECT_EQ(AppendJournals(M(), false), kSuccess);
  EXPECT_EQ(Count("S04"), 1);
  EXPECT_EQ(ReadWholeFile(profile_.DataFile("kstr_jrn_tmp.txt")), "");
}

TEST_F(CommandTest, ClosedReceiptBringsItsJournalBlocksHome) {
  OpenTicket();
  SellAndPay();
  ASSERT_EQ(CloseReceipt(M(), Texts()), kSuccess);
  EXPECT_GE(Count("S04"), 2);
  EXPECT_NE(ReadWholeFile(profile_.DataFile("kstr_jrn_tmp.txt")).find("Chlieb"), std::string::npos);
}

TEST_F(CommandTest, AppendJournalsFailsWhenTheTransferBreaksOff) {
  OpenTicket();
  SellAndPay();
  CloseReceipt(M(), Texts());
  printer_->Fault("reply S04 32");
  EXPECT_EQ(AppendJournals(M(), true), kFailure);
}

TEST_F(CommandTest, PrinterLogoLoadsInNumberedBlocksAndRefusesOversizedFiles) {
  const std::string path = profile_.Dir() + "/logo.bin";
  WriteWholeFile(path, std::string(250, '\xAB'));
  EXPECT_EQ(M().PrinterLogo(0, path.c_str(), nullptr), kSuccess);
  const auto records = printer_->Records();
  ASSERT_EQ(records.size(), 3u);
  std::string hex;
  for (int i = 0; i < 100; ++i) hex += "AB";
  EXPECT_EQ(records[0].fields, (Fields{"2", "001", hex}));
  EXPECT_EQ(records[2].fields[1], "003");
  EXPECT_EQ(records[2].fields[2].size(), 100u);

  printer_->ForgetRecords();
  WriteWholeFile(path, std::string(99901, '\x01'));
  EXPECT_EQ(M().PrinterLogo(0, path.c_str(), nullptr), kIllegal);
  EXPECT_EQ(M().PrinterLogo(0, (path + ".missing").c_str(), nullptr), kIllegal);
  EXPECT_EQ(M().PrinterLogo(7, path.c_str(), nullptr), kIllegal);
  EXPECT_TRUE(Codes().empty());
}

TEST_F(CommandTest, PrintHeaderEndsTheNumberLineAtTheLastColumn) {
  ASSERT_EQ(M().PrintHeader(0, 0, kStationReceipt, 57, Texts()), kSuccess);
  std::string printed;
  for (const auto& record : printer_->Records()) {
    if (record.code != "P20") continue;
    for (std::size_t i = 1; i < record.fields.size(); ++i) printed += record.fields[i];
  }
  ASSERT_GE(printed.size(), 40u);
  ASSERT_EQ(printed.size() % 40, 0u);
  const std::string last = printed.substr(printed.size() - 40);
  EXPECT_EQ(last.substr(last.size() - 11), std::string(text::kTextBlockNumber) + "57");
  EXPECT_EQ(last[2], '-');  // the date opens the line: dd-mm-yyyy
  // The header was read from the printer and kept for the next time.
  char header[1001] = {};
  Journal::Instance().GetReceiptHeader(header, 1000);
  EXPECT_EQ(printed.substr(0, printed.size() - 40), header);
}

}  // namespace
}  // namespace kestrel::testing
