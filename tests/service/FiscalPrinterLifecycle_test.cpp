// Open, claim, enable, release and close where no printer answers: the
// lifecycle table, the buffers owned by the object, and the methods that
// are refused whatever the state.
#include <functional>
#include <ostream>

#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

using opos::pidx::kClaimed;
using opos::pidx::kDeviceEnabled;
using opos::pidx::kResultCode;
using opos::pidx::kState;

TEST_F(ServiceTest, BeforeOpenPropertiesHoldTheConstructionValues) {
  EXPECT_EQ(Number(kState), opos::kStateClosed);
  EXPECT_EQ(Number(opos::pidx::kFreezeEvents), 0);
  EXPECT_EQ(Number(opos::pidx::kErrorLevel), 0);
  EXPECT_EQ(Number(opos::pidx::kErrorState), 0);
  EXPECT_EQ(Number(opos::pidx::kDateType), opos::kDateTypeRtc);
  EXPECT_EQ(Number(opos::pidx::kFiscalReceiptType), opos::kReceiptTypeSales);
  EXPECT_EQ(Number(opos::pidx::kDispRows), 2);
}

TEST_F(ServiceTest, OpenResetsTheObjectAndMakesItIdleWithoutTouchingThePort) {
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(Number(kState), opos::kStateIdle);
  EXPECT_EQ(Number(kClaimed), 0);
  EXPECT_EQ(Number(kDeviceEnabled), 0);
  EXPECT_EQ(Number(opos::pidx::kFreezeEvents), 1);
  EXPECT_EQ(Number(opos::pidx::kErrorLevel), opos::kErrorLevelNone);
  EXPECT_EQ(Number(opos::pidx::kErrorState), 0);
  EXPECT_EQ(Number(kResultCode), 0);
  EXPECT_FALSE(Messaging::Instance().PortOpened());
}

TEST_F(ServiceTest, OpenMarksItselfInTheLogWithClassNameAndVersion) {
  int32_t result = -1;
  fp_.OpenService("FiscalPrinter", "", &sink_, &result);  // any name, even empty, is fine
  EXPECT_EQ(result, 0);
  const std::string log = LogText();
  // A line holding the time alone, then the method's own line.
  const std::string own = "\t[FiscalPrinter::OpenService] FiscalPrinter; ; 1012021\r\n";
  const std::size_t at = log.find(own);
  ASSERT_NE(at, std::string::npos);
  ASSERT_GE(at, 18u);
  EXPECT_EQ(log.substr(at - 10, 2), "\r\n");
  EXPECT_EQ(log.substr(at - 18, 8).find_first_not_of("0123456789:"), std::string::npos);
  EXPECT_TRUE(at == 18 || log.substr(at - 20, 2) == "\r\n");
  for (const char* name :
       {"FiscalPrinter 0", "Journal 0", "Log 0", "Messaging 0", "RS232 0", "Settings 0", "Tools 0"}) {
    EXPECT_NE(log.find(std::string("[FiscalPrinter::OpenService] ") + name), std::string::npos) << name;
  }
}

TEST_F(ServiceTest, ClaimBeforeOpenIsClosed) {
  int32_t result = -1;
  EXPECT_EQ(fp_.ClaimDevice(0, &result), kClosed);
  EXPECT_EQ(result, kClosed);
  EXPECT_EQ(ErrorString(), text::kTextClosed);
}

TEST_F(ServiceTest, NegativeClaimTimeOutIsRefusedAndLeavesClaimedAsItWas) {
  Open();
  peer().SetDeviceFlags(true, true, false);
  int32_t result = -1;
  fp_.ClaimDevice(-1, &result);
  EXPECT_EQ(result, kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadClaimTimeout);
  EXPECT_EQ(Number(kClaimed), 1);
  EXPECT_EQ(Number(kState), opos::kStateError);
}

TEST_F(ServiceTest, ClaimWithoutAPortIsNotClaimed) {
  Open();
  int32_t result = -1;
  fp_.ClaimDevice(0, &result);
  EXPECT_EQ(result, kNotClaimed);
  EXPECT_EQ(ErrorString(), text::kTextNotClaimed);
  EXPECT_EQ(Number(kClaimed), 0);
}

TEST_F(ServiceTest, ClaimOfAMissingPortIsNotClaimedAndClearsAnEarlierClaim) {
  profile_.Set("Port", profile_.Dir() + "/no-such-device");
  Open();
  peer().SetDeviceFlags(true, true, false);
  int32_t result = -1;
  fp_.ClaimDevice(1000, &result);
  EXPECT_EQ(result, kNotClaimed);
  EXPECT_EQ(Number(kClaimed), 0);
}

// Enabling checks open before claim, and disabling always succeeds.
struct EnableCase {
  bool opened, claimed;
  int32_t value;
  int32_t code;
  const char* text;  // null: ErrorString ""
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const EnableCase& c, std::ostream* os) {
  *os << "opened " << c.opened << ", claimed " << c.claimed << ", enable " << c.value;
}

class EnableWithoutPrinter : public ServiceTest, public ::testing::WithParamInterface<EnableCase> {};

TEST_P(EnableWithoutPrinter, ReportsTheFirstMissingStep) {
  const EnableCase& c = GetParam();
  Open();
  peer().SetDeviceFlags(c.opened, c.claimed, false);
  EXPECT_EQ(fp_.SetPropertyNumber(kDeviceEnabled, c.value), c.code);
  EXPECT_EQ(Number(kResultCode), c.code);
  EXPECT_EQ(ErrorString(), c.text ? c.text : "");
  EXPECT_EQ(Number(kDeviceEnabled), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, EnableWithoutPrinter,
                         ::testing::Values(EnableCase{false, false, 1, kClosed, text::kTextClosed},
                                           EnableCase{false, true, 1, kClosed, text::kTextClosed},
                                           EnableCase{true, false, 1, kNotClaimed, text::kTextNotClaimed},
                                           EnableCase{false, false, 0, kSuccess, nullptr},
                                           EnableCase{true, true, 0, kSuccess, nullptr}));

TEST_F(ServiceTest, ReleaseAndCloseSucceedInAnyStateAndCloseTwice) {
  int32_t result = -1;
  EXPECT_EQ(fp_.ReleaseDevice(&result), 0);  // not even opened
  Open();
  EXPECT_EQ(fp_.ReleaseDevice(&result), 0);
  EXPECT_EQ(result, 0);
  result = -1;
  EXPECT_EQ(fp_.CloseService(&result), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(fp_.CloseService(nullptr), 0);
  EXPECT_EQ(Number(kState), opos::kStateClosed);
  fp_.ClaimDevice(0, &result);
  EXPECT_EQ(result, kClosed);
}

TEST_F(ServiceTest, CloseKeepsTheLastResultCode) {
  Open();
  fp_.ClaimDevice(-5, nullptr);
  fp_.CloseService(nullptr);
  EXPECT_EQ(Number(kResultCode), kIllegal);
  EXPECT_EQ(Number(kClaimed), 0);
}

TEST_F(ServiceTest, ReceiptIdAndPendingVatTableLiveFromOpenToClose) {
  FiscalPrinterTestPeer p = peer();
  EXPECT_FALSE(p.HasReceiptId());
  Open();
  ASSERT_TRUE(p.HasReceiptId());
  EXPECT_STREQ(p.ReceiptId(), "");
  p.StoreReceiptId(std::string(1200, 'x').c_str());  // cut, never overrun
  EXPECT_EQ(std::string(p.ReceiptId()), std::string(FiscalPrinter::kReceiptIdChars, 'x'));
  p.SetPendingVatTable("20|10");
  // Opening again replaces both: a fresh empty identifier and no table.
  Open();
  EXPECT_STREQ(p.ReceiptId(), "");
  EXPECT_FALSE(p.HasPendingVatTable());
  p.StoreReceiptId("R-1");
  p.SetPendingVatTable("20");
  fp_.CloseService(nullptr);
  EXPECT_FALSE(p.HasReceiptId());
  EXPECT_FALSE(p.HasPendingVatTable());
}

// Methods this printer does not offer answer 106 in every state, closed too.
struct RefusedCase {
  const char* name;
  std::function<int32_t(FiscalPrinter&, int32_t*)> call;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedMethods : public ServiceTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedMethods, AnswerNotSupportedEvenWhenClosed) {
  const RefusedCase& c = GetParam();
  Open();
  fp_.CloseService(nullptr);
  int32_t result = -1;
  EXPECT_EQ(c.call(fp_, &result), kIllegal);
  EXPECT_EQ(result, kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextNotSupported);
  EXPECT_EQ(Number(kResultCode), kIllegal);
  EXPECT_EQ(Number(kState), opos::kStateError);
  EXPECT_NE(LogText().find(std::string("[FiscalPrinter::") + c.name + "]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedMethods,
    ::testing::Values(
        RefusedCase{"ClearOutput", [](FiscalPrinter& f, int32_t* r) { return f.ClearOutput(r); }},
        RefusedCase{"ResetStatistics", [](FiscalPrinter& f, int32_t* r) { return f.ResetStatistics("x", r); }},
        RefusedCase{"RetrieveStatistics",
                    [](FiscalPrinter& f, int32_t* r) { return f.RetrieveStatistics(nullptr, r); }},
        RefusedCase{"UpdateFirmware", [](FiscalPrinter& f, int32_t* r) { return f.UpdateFirmware(nullptr, r); }},
        RefusedCase{"UpdateStatistics", [](FiscalPrinter& f, int32_t* r) { return f.UpdateStatistics("", r); }},
        RefusedCase{"CompareFirmwareVersion",
                    [](FiscalPrinter& f, int32_t* r) { return f.CompareFirmwareVersion("fw.bin", nullptr, r); }},
        RefusedCase{"BeginFiscalDocument", [](FiscalPrinter& f, int32_t* r) { return f.BeginFiscalDocument(100, r); }},
        RefusedCase{"PrintRecItemFuel",
                    [](FiscalPrinter& f, int32_t* r) {
                      return f.PrintRecItemFuel(nullptr, 1, 2, 3, 4, nullptr, 5, nullptr, r);
                    }},
        RefusedCase{"RetrieveMarker",
                    [](FiscalPrinter& f, int32_t* r) { return f.RetrieveMarker(1, 2, 3, nullptr, r); }}),
    [](const ::testing::TestParamInfo<RefusedCase>& p) { return std::string(p.param.name); });

TEST_F(ServiceTest, MediumSizeQueriesLeaveTheirOutputAlone) {
  Open();
  int64_t space = 77, size = 88;
  EXPECT_EQ(fp_.GetMediumFreeSpace(&space, nullptr), kIllegal);
  EXPECT_EQ(fp_.GetMediumSize(&size, nullptr), kIllegal);
  EXPECT_EQ(space, 77);
  EXPECT_EQ(size, 88);
}

}  // namespace
}  // namespace kestrel::testing
