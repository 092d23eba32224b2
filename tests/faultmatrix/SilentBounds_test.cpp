// The README's table of the longest a call can block when the printer does
// not answer, held against the service: every method is called once with the
// printer switched off, in the state it is normally called in, and the time
// it waited (through the clock seam) must stay within its row. The bounds are
// built from the exchange's own numbers, attempts x reply time-out per
// request, so that they follow any change of those numbers. Long-operation
// polling is not part of them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/ReplyTimeouts.h"
#include "tests/faultmatrix/MatrixCell.h"

namespace kestrel::testing {
namespace {

using namespace reply_timeout;

enum class Before { kIdle, kReceiptOpen, kReceiptPaid, kNonFiscal };

struct BoundRow {
  const char* method;
  Before before;
  std::function<int32_t(FiscalPrinter&)> call;
  int boundSeconds;
};

// The rows of the README's table, as the README writes them.
const int kLine = Unanswered(kCommand) + UnansweredAfterSilence(kCommand);  // the line, then the subtotal
const int kStart = Unanswered(kCommand) + UnansweredAfterSilence(kStatus);  // the start, then the state
const int kPay = Unanswered(kCommand) + UnansweredAfterSilence(kStatus);    // the payment, then the state
const int kEnd = Unanswered(kClose) + UnansweredAfterSilence(kStatus);      // the close or cancel, then the state

// target: where a journal download may save its files.
std::vector<BoundRow> Rows(const std::string& target) {
  using F = FiscalPrinter;
  return {
      {"BeginFiscalReceipt", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.BeginFiscalReceipt(true, &r);
       },
       kStart},
      {"PrintRecItem", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecItem("Mlieko", 9900, 10000, 1, 0, "", &r);
       },
       kLine},
      {"PrintRecItemVoid", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecItemVoid("Chlieb", 15000, 10000, 1, 0, "", &r);
       },
       kLine},
      {"PrintRecItemAdjustment", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecItemAdjustment(1, "Zlava", 1000, 1, &r);
       },
       kLine},
      {"PrintRecSubtotalAdjustment", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecSubtotalAdjustment(1, "", 1000, &r);
       },
       kLine},
      {"PrintRecRefund", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecRefund("Obal", 1000, 1, &r);
       },
       kLine},
      {"PrintRecSubtotal", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecSubtotal(0, &r);
       },
       Unanswered(kCommand)},
      {"PrintRecMessage", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecMessage("Vdaka", &r);
       },
       Unanswered(kLong)},
      {"PrintRecTotal", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecTotal(0, 20000, "1", &r);
       },
       kPay},
      {"EndFiscalReceipt", Before::kReceiptPaid,
       [](F& fp) {
         int32_t r;
         return fp.EndFiscalReceipt(false, &r);
       },
       kEnd},
      {"PrintRecVoid", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecVoid("", &r);
       },
       kEnd},
      {"PrintRecCash", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.PrintRecCash(10000, &r);
       },
       Unanswered(kCommand)},
      {"PrintDuplicateReceipt", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.PrintDuplicateReceipt(&r);
       },
       Unanswered(kCommand)},
      {"BeginNonFiscal", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.BeginNonFiscal(&r);
       },
       Unanswered(kLong)},
      {"PrintNormal", Before::kNonFiscal,
       [](F& fp) {
         int32_t r;
         return fp.PrintNormal(2, "Text", &r);
       },
       Unanswered(kLong)},
      {"PrintXReport", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.PrintXReport(&r);
       },
       Unanswered(kLong)},
      {"PrintZReport", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.PrintZReport(&r);
       },
       Unanswered(kLong)},
      {"PrintReport", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.PrintReport(2, "1", "2", &r);
       },
       Unanswered(kRangeReport)},
      {"GetData", Before::kIdle,
       [](F& fp) {
         int32_t r;
         int32_t opt = 0;
         std::string data;
         return fp.GetData(7, &opt, &data, &r);
       },
       Unanswered(kCommand)},
      {"GetDate", Before::kIdle,
       [](F& fp) {
         int32_t r;
         std::string date;
         return fp.GetDate(&date, &r);
       },
       Unanswered(kCommand)},
      {"SetDate", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.SetDate("010120261200", &r);
       },
       Unanswered(kCommand)},
      {"SetHeaderLine", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.SetHeaderLine(1, "Obchod", false, &r);
       },
       Unanswered(kCommand)},
      {"SetVatTable", Before::kIdle,
       [](F& fp) {
         int32_t r;
         fp.SetVatValue(1, "20", &r);
         return fp.SetVatTable(&r);
       },
       Unanswered(kCommand)},
      {"BeginTraining", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.BeginTraining(&r);
       },
       Unanswered(kCommand)},
      {"ResetPrinter", Before::kReceiptOpen,
       [](F& fp) {
         int32_t r;
         return fp.ResetPrinter(&r);
       },
       Unanswered(kLong)},
      {"OpenDrawer", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.OpenDrawer(&r);
       },
       Unanswered(kCommand)},
      {"CheckHealth", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.CheckHealth(2, &r);
       },
       Unanswered(kCommand)},
      {"DisplayText", Before::kIdle,
       [](F& fp) {
         int32_t r;
         return fp.DisplayText("Ahoj", 0, &r);
       },
       Unanswered(kStatus)},
      {"QueryContent", Before::kIdle,
       [target](F& fp) {
         int32_t r;
         return fp.QueryContent(target.c_str(), "", "", &r);
       },
       Unanswered(kCommand)},
      {"DeviceEnabled 1", Before::kIdle,
       [](F& fp) {
         fp.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0);
         return fp.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1);
       },
       Unanswered(kCommand) + UnansweredAfterSilence(kStatus)},
      {"PowerState", Before::kIdle,
       [](F& fp) {
         int32_t value = 0;
         fp.GetPropertyNumber(opos::pidx::kPowerState, &value);
         return value == opos::kPowerOffOffline ? kTimeout : kSuccess;
       },
       Unanswered(kStatus)},
  };
}

bool SetUpState(MatrixCell& cell, Before before) {
  FiscalPrinter& fp = cell.Fp();
  int32_t r = -1;
  switch (before) {
    case Before::kIdle:
      return true;
    case Before::kNonFiscal:
      fp.BeginNonFiscal(&r);
      return r == 0;
    case Before::kReceiptOpen:
    case Before::kReceiptPaid:
      fp.BeginFiscalReceipt(true, &r);
      if (r != 0) return false;
      fp.PrintRecItem("Chlieb", 15000, 10000, 1, 0, "", &r);
      if (r != 0 || before == Before::kReceiptOpen) return r == 0;
      fp.PrintRecTotal(0, 15000, "1", &r);
      return r == 0;
  }
  return false;
}

TEST(SilentBounds, NoCallWaitsLongerThanItsRowWithThePrinterOff) {
  const std::size_t rows = Rows("").size();
  for (std::size_t i = 0; i < rows; ++i) {
    MatrixCell cell;
    const BoundRow row = Rows(cell.Target("journal"))[i];
    SCOPED_TRACE(row.method);
    ASSERT_TRUE(cell.Started());
    ASSERT_TRUE(SetUpState(cell, row.before));
    ASSERT_EQ(cell.Inject("off"), "ok");
    SimulatedTime::Reset();
    const int32_t result = row.call(cell.Fp());
    const double waited = SimulatedTime::Seconds();
    std::printf("%-28s %6.1f s of at most %3d s\n", row.method, waited, row.boundSeconds);
    EXPECT_NE(result, kSuccess) << "nothing was done";
    EXPECT_LE(waited, row.boundSeconds + 0.5);
  }
}

}  // namespace
}  // namespace kestrel::testing
