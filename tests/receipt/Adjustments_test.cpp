// Adjustments, refunds and their voids: the sign or line kind each call
// puts on the printer's line, and the amounts they refuse.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/Messaging.h"
#include "tests/receipt/ReceiptFixture.h"
#include "tools/Results.h"

namespace kestrel::testing {
namespace {

using Fields = std::vector<std::string>;
using Call = std::function<void(FiscalPrinter&, int32_t*)>;

const std::string kDescription = "Akcia" + std::string(15, ' ');

struct SignCase {
  const char* name;
  Call call;
  const char* command;
  Fields expected;
};
void PrintTo(const SignCase& c, std::ostream* os) { *os << c.name; }

class AdjustmentSignTest : public ReceiptTest, public ::testing::WithParamInterface<SignCase> {};

TEST_P(AdjustmentSignTest, PutsTheSignOrKindOnTheLine) {
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  fp_.PrintRecItem("Chlieb", 500000, 10000, 1, 0, "", &r);
  ASSERT_EQ(r, 0);
  printer_->ForgetRecords();
  GetParam().call(fp_, &r);
  EXPECT_EQ(LastFields(GetParam().command), GetParam().expected);
}

// Amount 1.00 in every case; types: 1 amount discount, 2 amount surcharge,
// 3 percentage discount, 4 percentage surcharge.
INSTANTIATE_TEST_SUITE_P(
    Calls, AdjustmentSignTest,
    ::testing::Values(
        SignCase{"ItemDiscount",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustment(1, "Akcia", 10000, 1, r); },
                 "P06",
                 {"1", "*  ", "1", "1.0000", "-1.0000", kDescription}},
        SignCase{"ItemSurcharge",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustment(2, "Akcia", 10000, 1, r); },
                 "P06",
                 {"1", "*  ", "1", "1.0000", "1.0000", kDescription}},
        // A percentage is never computed: the amount is taken as it is.
        SignCase{"PercentDiscountIsAnAmount",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustment(3, "Akcia", 100000, 1, r); },
                 "P06",
                 {"1", "*  ", "1", "1.0000", "-10.0000", kDescription}},
        SignCase{"PercentSurchargeIsADiscount",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustment(4, "Akcia", 10000, 1, r); },
                 "P06",
                 {"1", "*  ", "1", "1.0000", "-1.0000", kDescription}},
        SignCase{"ItemDiscountVoidIsASale",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustmentVoid(1, "Akcia", 10000, 1, r); },
                 "P03",
                 {"1", "   ", "1", "1.0000", "1.0000", kDescription}},
        SignCase{"ItemSurchargeVoidIsARefund",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustmentVoid(2, "Akcia", 10000, 1, r); },
                 "P03",
                 {"2", "   ", "1", "1.0000", "1.0000", kDescription}},
        SignCase{"SubtotalDiscount",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecSubtotalAdjustment(1, "not printed", 10000, r); },
                 "P07",
                 {"-1.0000"}},
        SignCase{"SubtotalSurcharge",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecSubtotalAdjustment(2, "not printed", 10000, r); },
                 "P07",
                 {"1.0000"}},
        SignCase{"SubtotalDiscountVoid",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecSubtotalAdjustVoid(1, 10000, r); },
                 "P07",
                 {"1.0000"}},
        SignCase{"SubtotalSurchargeVoid",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecSubtotalAdjustVoid(2, 10000, r); },
                 "P07",
                 {"-1.0000"}},
        SignCase{"ItemRefund",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemRefund("Akcia", 30000, 20000, 1, 0, "", r); },
                 "P03",
                 {"2", "ks", "1", "2.0000", "1.5000", kDescription}},
        SignCase{"ItemRefundVoidIsASale",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemRefundVoid("Akcia", 30000, 20000, 1, 0, "", r); },
                 "P03",
                 {"1", "ks", "1", "2.0000", "1.5000", kDescription}},
        SignCase{"RefundIsOnePiece",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecRefund("Akcia", 25000, 1, r); },
                 "P03",
                 {"2", "ks", "1", "1.0000", "2.5000", kDescription}},
        SignCase{"RefundVoidIsOnePieceSold",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecRefundVoid("Akcia", 25000, 1, r); },
                 "P03",
                 {"1", "ks", "1", "1.0000", "2.5000", kDescription}},
        // Refunds take any amount in range, negative ones too.
        SignCase{"NegativeRefundIsSent",
                 [](FiscalPrinter& f, int32_t* r) { f.PrintRecRefund("Akcia", -25000, 1, r); },
                 "P03",
                 {"2", "ks", "1", "1.0000", "-2.5000", kDescription}}),
    [](const ::testing::TestParamInfo<SignCase>& param) { return std::string(param.param.name); });

TEST_F(ReceiptTest, NegativeAdjustmentsAreRefusedAndTheReceiptStaysOpen) {
  OpenReceiptWithItem();
  printer_->ForgetRecords();
  const std::vector<Call> calls = {
      [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustment(1, "x", -1, 1, r); },
      [](FiscalPrinter& f, int32_t* r) { f.PrintRecItemAdjustmentVoid(1, "x", -1, 1, r); },
      [](FiscalPrinter& f, int32_t* r) { f.PrintRecSubtotalAdjustment(1, "x", -1, r); },
      [](FiscalPrinter& f, int32_t* r) { f.PrintRecSubtotalAdjustVoid(1, -1, r); },
  };
  for (const Call& call : calls) {
    int32_t r = -1;
    call(fp_, &r);
    EXPECT_EQ(r, kBadItemAmount);
  }
  EXPECT_TRUE(Codes().empty()) << "refused before any traffic, and shown on no display";
  EXPECT_EQ(Messaging::Instance().GetFiscalPrinterState(false), kPrinterStateFiscalReceipt);
}

TEST_F(ReceiptTest, AdjustmentsNeedAnOpenReceiptAndAValidVat) {
  int32_t r = -1;
  fp_.PrintRecSubtotalAdjustment(1, "x", 100, &r);
  EXPECT_EQ(r, kWrongState);
  OpenReceiptWithItem();
  fp_.PrintRecItemAdjustment(1, "x", 100, 0, &r);
  EXPECT_EQ(r, kIllegal);
  fp_.PrintRecItemRefund("x", 100, 10000, 9, 0, "", &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(Count("P06") + Count("P03") + Count("P07"), 1) << "only the item of the receipt";
}

TEST_F(ReceiptTest, RefusedAdjustmentCancelsTheReceipt) {
  OpenReceiptWithItem();
  printer_->Fault("reply P06 72");  // discount not allowed
  int32_t r = -1;
  fp_.PrintRecItemAdjustment(1, "Akcia", 10000, 1, &r);
  EXPECT_EQ(r, kBadItemAmount);
  EXPECT_EQ(Count("P12"), 1);
  EXPECT_EQ(Messaging::Instance().GetFiscalPrinterState(false), kPrinterStateMonitor);
}

}  // namespace
}  // namespace kestrel::testing
