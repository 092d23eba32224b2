// The precondition tests: what each accepts, the code, Slovak text and log
// line of a refusal, and that a pass clears the previous error.
#include <functional>
#include <ostream>

#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

struct DeviceCase {
  bool opened, claimed, enabled;
  int32_t code;
  const char* text;
  const char* logLine;
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const DeviceCase& c, std::ostream* os) {
  *os << "opened " << c.opened << ", claimed " << c.claimed << ", enabled " << c.enabled;
}

class CheckDeviceTest : public ServiceTest, public ::testing::WithParamInterface<DeviceCase> {};

TEST_P(CheckDeviceTest, ReportsTheFirstMissingCondition) {
  const DeviceCase& c = GetParam();
  Open();
  FiscalPrinterTestPeer p = peer();
  p.SetDeviceFlags(c.opened, c.claimed, c.enabled);
  EXPECT_EQ(p.CheckDevice(), c.code == kSuccess);
  EXPECT_EQ(Number(opos::pidx::kResultCode), c.code);
  EXPECT_EQ(ErrorString(), c.text);
  if (c.logLine) {
    EXPECT_NE(LogText().find(c.logLine), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CheckDeviceTest,
                         ::testing::Values(DeviceCase{false, true, true, kClosed, text::kTextClosed,
                                                      "[FiscalPrinter::CheckDevice] Error: device not opened"},
                                           DeviceCase{true, false, true, kNotClaimed, text::kTextNotClaimed,
                                                      "[FiscalPrinter::CheckDevice] Error: device not claimed"},
                                           DeviceCase{true, false, false, kNotClaimed, text::kTextNotClaimed, nullptr},
                                           DeviceCase{true, true, false, kDisabled, text::kTextDisabled,
                                                      "[FiscalPrinter::CheckDevice] Error: device not enabled"},
                                           DeviceCase{true, true, true, kSuccess, "", nullptr}));

// One argument check: the call, and the first refused value on either side.
struct RangeCase {
  const char* name;
  std::function<bool(FiscalPrinterTestPeer&, int64_t)> check;
  int64_t value;
  bool passes;
  int32_t code;         // reported when refused
  const char* text;     // ErrorString when refused
  const char* logLine;  // when refused
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name << " " << c.value; }

class ArgumentChecks : public ServiceTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(ArgumentChecks, AcceptExactlyTheRange) {
  const RangeCase& c = GetParam();
  Open();
  FiscalPrinterTestPeer p = peer();
  fp_.ClaimDevice(-1, nullptr);  // leaves an error for a pass to clear
  ASSERT_EQ(Number(opos::pidx::kResultCode), kIllegal);
  EXPECT_EQ(c.check(p, c.value), c.passes);
  if (c.passes) {
    EXPECT_EQ(Number(opos::pidx::kResultCode), 0);
    EXPECT_EQ(ErrorString(), "");
    return;
  }
  const bool extended = c.code > 200;
  EXPECT_EQ(Number(opos::pidx::kResultCode), extended ? kExtended : c.code);
  EXPECT_EQ(Number(opos::pidx::kResultCodeExtended), extended ? c.code : 0);
  EXPECT_EQ(ErrorString(), c.text);
  EXPECT_NE(LogText().find(c.logLine), std::string::npos) << c.logLine;
}

bool Currency(FiscalPrinterTestPeer& p, int64_t v) { return p.CheckCurrencyValue(v); }
bool HeaderLine(FiscalPrinterTestPeer& p, int64_t v) { return p.CheckHeaderLineID(static_cast<int32_t>(v)); }
bool Vat(FiscalPrinterTestPeer& p, int64_t v) { return p.CheckVatID(static_cast<int32_t>(v)); }

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentChecks,
    ::testing::Values(RangeCase{"amount max", Currency, 999999990000LL, true, 0, nullptr, nullptr},
                      RangeCase{"amount min", Currency, -999999990000LL, true, 0, nullptr, nullptr},
                      RangeCase{"amount above", Currency, 999999990001LL, false, kBadItemAmount, text::kTextBadValue,
                                "Error: wrong value 999999990001."},
                      RangeCase{"amount below", Currency, -999999990001LL, false, kBadItemAmount, text::kTextBadValue,
                                "Error: wrong value -999999990001."},
                      RangeCase{"amount far out", Currency, INT64_MIN, false, kBadItemAmount, text::kTextBadValue,
                                "Error: wrong value -9223372036854775808."},
                      RangeCase{"line 1", HeaderLine, 1, true, 0, nullptr, nullptr},
                      RangeCase{"line 3", HeaderLine, 3, true, 0, nullptr, nullptr},
                      RangeCase{"line 0", HeaderLine, 0, false, kIllegal, text::kTextBadLine, "Error: wrong line 0."},
                      RangeCase{"line 4", HeaderLine, 4, false, kIllegal, text::kTextBadLine, "Error: wrong line 4."},
                      RangeCase{"vat 1", Vat, 1, true, 0, nullptr, nullptr},
                      RangeCase{"vat 8", Vat, 8, true, 0, nullptr, nullptr},
                      RangeCase{"vat 0", Vat, 0, false, kIllegal, text::kTextBadVat, "Error: wrong VAT 0."},
                      RangeCase{"vat 9", Vat, 9, false, kIllegal, text::kTextBadVat, "Error: wrong VAT 9."},
                      RangeCase{"vat negative", Vat, -1, false, kIllegal, text::kTextBadVat, "Error: wrong VAT -1."}));

TEST_F(ServiceTest, PrinterStateCheckComparesWithTheStatePrinterKeeps) {
  Open();
  FiscalPrinterTestPeer p = peer();
  // No printer has been asked yet: the kept state is the monitor state.
  EXPECT_TRUE(p.CheckPrinterState(kPrinterStateMonitor));
  EXPECT_FALSE(p.CheckPrinterState(kPrinterStateFiscalReceipt));
  EXPECT_EQ(Number(opos::pidx::kResultCode), kExtended);
  EXPECT_EQ(Number(opos::pidx::kResultCodeExtended), kWrongState);
  EXPECT_EQ(ErrorString(), text::kTextWrongState);
  EXPECT_NE(LogText().find("[FiscalPrinter::CheckPrinterState] Not in PrinterState 2 [1]"), std::string::npos);
}

}  // namespace
}  // namespace kestrel::testing
