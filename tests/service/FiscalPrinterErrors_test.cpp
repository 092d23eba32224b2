// SetError's derivations, the status events and their freezing, and calls
// that come back into the service from inside an event.
#include <ostream>

#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

using opos::pidx::kErrorLevel;
using opos::pidx::kErrorState;
using opos::pidx::kErrorString;
using opos::pidx::kFreezeEvents;
using opos::pidx::kResultCode;
using opos::pidx::kResultCodeExtended;
using opos::pidx::kState;

struct Derivation {
  const char* name;
  int32_t code;
  const char* text;  // given to SetError; null: none
  int32_t resultCode, extended, reported, errorLevel, state;
  const char* errorString;  // after the call
};
// Named, not dumped as bytes: the struct's padding would be read uninitialised.
void PrintTo(const Derivation& d, std::ostream* os) { *os << d.name; }

class SetErrorDerivations : public ServiceTest, public ::testing::WithParamInterface<Derivation> {};

TEST_P(SetErrorDerivations, RecordAndReport) {
  const Derivation& d = GetParam();
  Open();
  // An earlier failure whose text must survive a code that gives none.
  peer().SetError(kWrongState, nullptr, "earlier", false);
  int32_t reported = -1;
  EXPECT_EQ(peer().SetError(d.code, &reported, d.text, false), 0);
  EXPECT_EQ(reported, d.reported);
  EXPECT_EQ(Number(kResultCode), d.resultCode);
  EXPECT_EQ(Number(kResultCodeExtended), d.extended);
  EXPECT_EQ(Number(kErrorLevel), d.errorLevel);
  EXPECT_EQ(Number(kState), d.state);
  EXPECT_EQ(ErrorString(), d.errorString);
  // ErrorState is the printer state on failure, 0 on success.
  EXPECT_EQ(Number(kErrorState), d.reported == 0 ? 0 : kPrinterStateMonitor);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SetErrorDerivations,
    ::testing::Values(
        Derivation{"wrong_state", kWrongState, text::kTextWrongState, kExtended, kWrongState, kWrongState,
                   opos::kErrorLevelRecoverable, opos::kStateError, text::kTextWrongState},
        Derivation{"technical_assistance_blocks", kTechnicalAssistance, nullptr, kExtended, kTechnicalAssistance,
                   kTechnicalAssistance, opos::kErrorLevelBlocked, opos::kStateError, "earlier"},
        Derivation{"own_extended_code", kCallService, nullptr, kExtended, kCallService, kCallService,
                   opos::kErrorLevelRecoverable, opos::kStateError, "earlier"},
        Derivation{"opos_code_keeps_text", kClosed, nullptr, kClosed, 0, kClosed, opos::kErrorLevelRecoverable,
                   opos::kStateError, "earlier"},
        Derivation{"opos_code_with_text", kIllegal, text::kTextNotSupported, kIllegal, 0, kIllegal,
                   opos::kErrorLevelRecoverable, opos::kStateError, text::kTextNotSupported},
        Derivation{"busy", kBusy, nullptr, kBusy, 0, kBusy, opos::kErrorLevelRecoverable, opos::kStateError, "earlier"},
        Derivation{"success_clears", kSuccess, nullptr, 0, 0, 0, opos::kErrorLevelNone, opos::kStateIdle, ""},
        Derivation{"success_range", 100, nullptr, 0, 0, 0, opos::kErrorLevelNone, opos::kStateIdle, ""},
        Derivation{"keep_earlier", -1, "ignored", kExtended, kWrongState, kWrongState, opos::kErrorLevelRecoverable,
                   opos::kStateError, "earlier"}),
    [](const ::testing::TestParamInfo<Derivation>& p) { return std::string(p.param.name); });

TEST_F(ServiceTest, AFailedDisplayExchangeDoesNotReplaceTheReportedText) {
  Open();
  // Claimed, but the port cannot be opened: showing the text fails with a
  // text of its own.
  peer().SetDeviceFlags(true, true, false);
  int32_t reported = -1;
  peer().SetError(kWrongState, &reported, text::kTextWrongState, true);
  EXPECT_EQ(reported, kWrongState);
  EXPECT_EQ(ErrorString(), text::kTextWrongState);
  EXPECT_NE(LogText().find("[Messaging::DisplayText]"), std::string::npos);
}

TEST_F(ServiceTest, NoDisplayForSuccessTimeOutBusyWithoutTheFlagOrTheClaim) {
  Open();
  peer().SetError(kWrongState, nullptr, text::kTextWrongState, true);  // not claimed: the port is not ours
  peer().SetDeviceFlags(true, true, false);
  peer().SetError(kTimeout, nullptr, text::kTextNoReply, true);
  peer().SetError(kBusy, nullptr, text::kTextBusy, true);
  peer().SetError(kWrongState, nullptr, text::kTextWrongState, false);
  peer().SetError(kSuccess, nullptr, nullptr, true);
  EXPECT_EQ(LogText().find("[Messaging::DisplayText]"), std::string::npos);
}

using Codes = std::vector<int32_t>;
using Events = std::vector<int>;

// Codes other than 0 (which asks the printer) given to CheckRecStatus.
struct StatusCase {
  const char* name;
  std::vector<int32_t> codes;
  std::vector<int> events;
  int32_t receiptStatus, slipStatus;
};
void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class StatusEvents : public ServiceTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusEvents, FireOncePerChange) {
  const StatusCase& c = GetParam();
  Open();
  fp_.COFreezeEvents(false, nullptr);
  for (int32_t code : c.codes) {
    const int32_t station = code == kSlipEmpty || code == kSlipForm ? kStationSlip : kStationReceipt;
    peer().CheckRecStatus(code, station);
  }
  EXPECT_EQ(sink_.events, c.events);
  EXPECT_EQ(peer().ReceiptStatus(), c.receiptStatus);
  EXPECT_EQ(peer().SlipStatus(), c.slipStatus);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusEvents,
    ::testing::Values(
        StatusCase{"paper_out_twice", Codes{kReceiptEmpty, kReceiptEmpty}, Events{24}, 24, 0},
        StatusCase{"cover_then_near_end", Codes{kCoverOpen, kReceiptPaperNearEnd}, Events{11, 25}, 25, 0},
        StatusCase{"slip_in_twice_then_out", Codes{kSlipForm, kSlipForm, kSlipEmpty}, Events{29, 27}, 26, 27},
        StatusCase{"other_codes_change_nothing", Codes{kTimeout, kFailure, kWrongState}, Events{}, 26, 0}),
    [](const ::testing::TestParamInfo<StatusCase>& p) { return std::string(p.param.name); });

TEST_F(ServiceTest, FrozenChangesAreRecordedButNeverDelivered) {
  Open();  // FreezeEvents is set by default
  peer().CheckRecStatus(kCoverOpen, kStationReceipt);
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_EQ(peer().ReceiptStatus(), opos::kSueCoverOpen);
  EXPECT_EQ(fp_.COFreezeEvents(false, nullptr), 0);
  EXPECT_TRUE(sink_.events.empty());  // nothing is caught up on
  peer().CheckRecStatus(kCoverOpen, kStationReceipt);
  EXPECT_TRUE(sink_.events.empty());  // no change since
  EXPECT_EQ(fp_.SetPropertyNumber(kFreezeEvents, 5), 0);
  EXPECT_EQ(Number(kFreezeEvents), 1);
  peer().CheckRecStatus(kReceiptEmpty, kStationReceipt);
  EXPECT_TRUE(sink_.events.empty());
  EXPECT_EQ(peer().ReceiptStatus(), opos::kSueRecEmpty);
}

TEST_F(ServiceTest, CoverAndPaperFailuresFireThroughSetErrorWithoutASink) {
  int32_t result = -1;
  fp_.OpenService("FiscalPrinter", "Kestrel", nullptr, &result);
  fp_.COFreezeEvents(false, nullptr);
  peer().SetError(kCoverOpen, nullptr, nullptr, false);  // nothing to call: no crash
  EXPECT_EQ(peer().ReceiptStatus(), opos::kSueCoverOpen);
  peer().SetError(kReceiptEmpty, nullptr, nullptr, false);
  EXPECT_EQ(peer().ReceiptStatus(), opos::kSueRecEmpty);
}

TEST_F(ServiceTest, FreezeWritesDoNotTouchTheLastResult) {
  Open();
  fp_.ClaimDevice(-1, nullptr);
  EXPECT_EQ(fp_.SetPropertyNumber(kFreezeEvents, 0), 0);
  EXPECT_EQ(Number(kResultCode), kIllegal);
  EXPECT_EQ(Number(kFreezeEvents), 0);
  // COFreezeEvents, unlike the property, is a method with a result of its own.
  int32_t result = -1;
  EXPECT_EQ(fp_.COFreezeEvents(true, &result), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Number(kResultCode), 0);
  EXPECT_EQ(Number(kFreezeEvents), 1);
}

// An application handler that calls the service again from inside the event.
TEST_F(ServiceTest, CallsFromInsideAnEventAreServedOrAnsweredBusy) {
  Open();
  fp_.COFreezeEvents(false, nullptr);
  int32_t seenResultCode = -1, seenExtended = -1, claim = -1, freeze = -1;
  std::string seenError;
  int32_t setProperty = -1;
  sink_.handler = [&](int) {
    fp_.GetPropertyNumber(kResultCode, &seenResultCode);
    fp_.GetPropertyNumber(kResultCodeExtended, &seenExtended);
    fp_.GetPropertyString(kErrorString, &seenError);
    fp_.ClaimDevice(0, &claim);
    fp_.COFreezeEvents(true, &freeze);
    setProperty = fp_.SetPropertyNumber(kFreezeEvents, 1);
  };
  int32_t reported = -1;
  {
    BusyGuard outer;  // as an interface method holds it
    peer().SetError(kCoverOpen, &reported, text::kTextPrinterError, false);
    EXPECT_TRUE(Messaging::Instance().IsBusyOwnedByThisThread());
  }
  EXPECT_FALSE(Messaging::Instance().IsBusy());
  ASSERT_EQ(sink_.events, std::vector<int>{opos::kSueCoverOpen});
  EXPECT_EQ(seenResultCode, kExtended);
  EXPECT_EQ(seenExtended, kCoverOpen);
  EXPECT_EQ(claim, kBusy);
  EXPECT_EQ(freeze, kBusy);
  EXPECT_EQ(setProperty, kBusy);
  // The outer call's outcome is untouched by the refused inner calls.
  EXPECT_EQ(reported, kCoverOpen);
  EXPECT_EQ(Number(kResultCode), kExtended);
  EXPECT_EQ(Number(kResultCodeExtended), kCoverOpen);
  EXPECT_EQ(Number(kFreezeEvents), 0);
  EXPECT_EQ(ErrorString(), text::kTextPrinterError);
}

}  // namespace
}  // namespace kestrel::testing
