// The service against the virtual printer: enabling, the properties that ask
// the printer, status events as the printer's mechanics change, and errors
// shown on the customer display.
#include <cstdlib>

#include "emulator/Frame.h"
#include "tests/emulator/EmulatorHost.h"
#include "tests/service/PrinterFixture.h"

namespace kestrel::testing {
namespace {

namespace pidx = opos::pidx;

TEST_F(PrinterTest, AProgramRunsTheWholeLifecycle) {
  int32_t result = -1;
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(fp_.ClaimDevice(0, &result), 0);
  EXPECT_TRUE(Codes().empty());  // claiming opens the port and nothing more
  EXPECT_EQ(Number(pidx::kClaimed), 1);

  ASSERT_EQ(fp_.SetPropertyNumber(pidx::kDeviceEnabled, 1), 0);
  EXPECT_EQ(Number(pidx::kDeviceEnabled), 1);
  // Greeting, firmware version, slip station.
  EXPECT_EQ(Codes(), (std::vector<std::string>{"D01", "S08", "S03"}));
  EXPECT_EQ(Display(), (std::vector<std::string>{"Dobrý deň           ", "          17.05.2024"}));
  EXPECT_EQ(Messaging::Instance().GetMajorVersion(), 2);
  EXPECT_EQ(Messaging::Instance().GetMinorVersion(), 23);
  EXPECT_EQ(Number(pidx::kCapSlpPresent), 0);
  EXPECT_EQ(Number(pidx::kPowerState), opos::kPowerOnline);
  EXPECT_EQ(Number(pidx::kPrinterState), kPrinterStateMonitor);
  EXPECT_EQ(Number(pidx::kTrainingModeActive), 0);

  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kFiscalReceiptType, 1), 0);
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kDateType, 1), 0);

  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kDeviceEnabled, 0), 0);
  EXPECT_EQ(Number(pidx::kDeviceEnabled), 0);
  EXPECT_EQ(fp_.ReleaseDevice(&result), 0);
  EXPECT_FALSE(Messaging::Instance().PortOpened());
  EXPECT_EQ(fp_.CloseService(&result), 0);
  EXPECT_EQ(Number(pidx::kState), opos::kStateClosed);
}

// Whatever the display's row count, only a printer that answers is enabled:
// without a row to greet on, a status question tells.
class SilentPrinterRows : public PrinterTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SilentPrinterRows, EnablingLeavesTheDeviceDisabled) {
  profile_.Set("LineDisplayRows", GetParam());
  Inject("off");
  int32_t result = -1;
  Open();
  fp_.ClaimDevice(0, &result);
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kDeviceEnabled, 1), kDisabled);
  EXPECT_EQ(Number(pidx::kDeviceEnabled), 0);
  EXPECT_EQ(ErrorString(), text::kTextNoReply);  // the exchange's own text stays
  EXPECT_EQ(Messaging::Instance().GetMinorVersion(), -1);
  EXPECT_EQ(Number(pidx::kPowerState), opos::kPowerOffOffline);

  Inject("on");
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kDeviceEnabled, 1), 0);
  EXPECT_EQ(Number(pidx::kDeviceEnabled), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, SilentPrinterRows, ::testing::Values("2", "0", "-1"));

TEST_F(PrinterTest, AnErrorReplyStillCountsAsALivePrinter) {
  Inject("reply D01 53");
  Enable();
  EXPECT_EQ(Number(pidx::kDeviceEnabled), 1);
  EXPECT_EQ(Number(pidx::kResultCode), 0);
}

TEST_F(PrinterTest, EnablingTwiceSendsNothingMore) {
  Enable();
  const std::size_t sent = Codes().size();
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kDeviceEnabled, 1), 0);
  EXPECT_EQ(Codes().size(), sent);
}

// Rows are reported as configured; whatever the number, the greeting must
// neither overrun its packet nor stop the device from being enabled.
class OddRows : public PrinterTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OddRows, StillEnableAndReportTheConfiguredValue) {
  profile_.Set("LineDisplayRows", GetParam());
  Enable();
  EXPECT_EQ(Number(pidx::kDeviceEnabled), 1);
  EXPECT_EQ(Number(pidx::kDispRows), std::atoi(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Table, OddRows, ::testing::Values("600", "-1", "0", "999999999"));

TEST_F(PrinterTest, TheV7ProtocolNeverAsksForTheFirmware) {
  profile_.Set("V7Protocol", "1");
  Enable();
  EXPECT_EQ(Codes(), (std::vector<std::string>{"D01", "S03"}));
  EXPECT_EQ(Messaging::Instance().GetMinorVersion(), 7);
}

TEST_F(PrinterTest, APortLeftClaimedAtCloseIsReusedByTheNextOpen) {
  Enable();
  EXPECT_EQ(fp_.CloseService(nullptr), 0);
  EXPECT_TRUE(Messaging::Instance().PortOpened());
  EXPECT_EQ(Number(pidx::kState), opos::kStateIdle);  // State stays with the open port
  EXPECT_EQ(Number(pidx::kClaimed), 0);
  int32_t result = -1;
  Open();
  EXPECT_EQ(fp_.ClaimDevice(0, &result), 0);
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kDeviceEnabled, 1), 0);
}

// After ReleaseDevice the port belongs to whoever claims it next: reading the
// properties that ask the printer must neither reopen it nor send anything,
// and closing the service then leaves State closed.
TEST_F(PrinterTest, AReleasedPortStaysReleasedWhateverPropertyIsRead) {
  Enable();
  Inject("paper near");
  EXPECT_EQ(Number(pidx::kRecNearEnd), 1);
  int32_t result = -1;
  ASSERT_EQ(fp_.ReleaseDevice(&result), 0);
  const std::size_t sent = Codes().size();

  EXPECT_EQ(Number(pidx::kPowerState), opos::kPowerUnknown);
  EXPECT_EQ(Number(pidx::kCoverOpen), 0);
  EXPECT_EQ(Number(pidx::kRecEmpty), 0);
  EXPECT_EQ(Number(pidx::kRecNearEnd), 1) << "the last known status";
  EXPECT_EQ(Number(pidx::kSlpEmpty), 1);
  EXPECT_EQ(Number(pidx::kPrinterState), kPrinterStateMonitor);
  EXPECT_EQ(Number(pidx::kTrainingModeActive), 0);
  EXPECT_EQ(Codes().size(), sent) << "nothing sent after the release";
  EXPECT_FALSE(Messaging::Instance().PortOpened());

  EXPECT_EQ(fp_.CloseService(&result), 0);
  EXPECT_EQ(Number(pidx::kState), opos::kStateClosed);
  EXPECT_FALSE(Messaging::Instance().PortOpened());
}

TEST_F(PrinterTest, PaperEventsFireOncePerChange) {
  Enable();
  Inject("paper out");
  EXPECT_EQ(Number(pidx::kRecEmpty), 1);
  EXPECT_EQ(Number(pidx::kRecEmpty), 1);
  EXPECT_EQ(Number(pidx::kRecNearEnd), 0);
  Inject("paper near");
  EXPECT_EQ(Number(pidx::kRecNearEnd), 1);
  Inject("paper ok");
  EXPECT_EQ(Number(pidx::kRecEmpty), 0);
  EXPECT_EQ(sink_.events, (std::vector<int>{opos::kSueRecEmpty, opos::kSueRecNearEmpty, opos::kSueRecPaperOk}));
}

TEST_F(PrinterTest, ASilentPrinterLeavesTheLastKnownStatus) {
  Enable();
  Inject("cover open");
  EXPECT_EQ(Number(pidx::kCoverOpen), 1);
  Inject("off");
  EXPECT_EQ(Number(pidx::kCoverOpen), 1);
  EXPECT_EQ(sink_.events, std::vector<int>{opos::kSueCoverOpen});
}

TEST_F(PrinterTest, FrozenEventsAreDroppedForGood) {
  Enable(false);
  Inject("cover open");
  EXPECT_EQ(Number(pidx::kCoverOpen), 1);
  fp_.COFreezeEvents(false, nullptr);
  EXPECT_EQ(Number(pidx::kCoverOpen), 1);
  EXPECT_TRUE(sink_.events.empty());
  Inject("cover closed");
  EXPECT_EQ(Number(pidx::kCoverOpen), 0);
  EXPECT_EQ(sink_.events, std::vector<int>{opos::kSueRecPaperOk});
}

TEST_F(PrinterTest, SlipEmptyUnlessASlipIsInPlace) {
  Enable();
  EXPECT_EQ(Number(pidx::kSlpEmpty), 1);  // no slip unit at all, and it is not asked
  EXPECT_EQ(Number(pidx::kSlpEmpty), 1);
  EXPECT_EQ(sink_.events, std::vector<int>{opos::kSueSlpEmpty});
  for (const std::string& code : Codes()) EXPECT_NE(code, "P22");
}

TEST_F(PrinterTest, AnInsertedSlipFiresItsPaperOkEvent) {
  Inject("slipstation on");
  Enable();
  EXPECT_EQ(Number(pidx::kCapSlpPresent), 1);
  EXPECT_EQ(Number(pidx::kSlpEmpty), 1);
  Inject("slip in");
  EXPECT_EQ(Number(pidx::kSlpEmpty), 0);
  EXPECT_EQ(sink_.events, (std::vector<int>{opos::kSueSlpEmpty, opos::kSueSlpPaperOk}));
}

TEST_F(PrinterTest, ErrorsAreShownOnlyWithTheDisplayFlagAndNeverATimeOut) {
  Enable();
  const std::vector<std::string> greeting = Display();
  peer().SetError(kWrongState, nullptr, text::kTextWrongState, false);
  EXPECT_EQ(Display(), greeting);
  peer().SetError(kTimeout, nullptr, text::kTextNoReply, true);
  EXPECT_EQ(Display(), greeting);
  peer().SetError(kWrongState, nullptr, text::kTextWrongState, true);
  EXPECT_EQ(Display(), (std::vector<std::string>{"Neplatný stav       ", "                    "}));
}

TEST_F(PrinterTest, ADisplayThatDoesNotAnswerKeepsTheErrorText) {
  Enable();
  Inject("noreply 3 D01");
  int32_t reported = -1;
  peer().SetError(kWrongState, &reported, text::kTextWrongState, true);
  EXPECT_EQ(reported, kWrongState);
  EXPECT_EQ(ErrorString(), text::kTextWrongState);
  EXPECT_EQ(Number(pidx::kResultCodeExtended), kWrongState);
}

// A receipt opened on the printer behind the service's back: the kept state
// says "monitor", so the service asks the printer.
TEST_F(PrinterTest, ReceiptTypeNeedsTheMonitorStateUnlessCheckingIsOff) {
  Enable();
  printer_->WithDevice([](emulator::Device& d) {
    emulator::testing::Host host(d);
    host.Start();
    return 0;
  });
  EXPECT_EQ(Number(pidx::kPrinterState), kPrinterStateFiscalReceipt);
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kFiscalReceiptType, 1), kWrongState);
  EXPECT_EQ(ErrorString(), text::kTextWrongState);
  EXPECT_EQ(Display()[0], "Neplatný stav       ");
  EXPECT_EQ(Number(pidx::kFiscalReceiptType), opos::kReceiptTypeSales);

  profile_.Set("CheckStateDisabled", "1");
  Open();
  int32_t result = -1;
  fp_.ClaimDevice(0, &result);
  fp_.SetPropertyNumber(pidx::kDeviceEnabled, 1);
  EXPECT_EQ(fp_.SetPropertyNumber(pidx::kFiscalReceiptType, 1), 0);
  EXPECT_EQ(Number(pidx::kFiscalReceiptType), 1);
}

// An application handler reading properties from inside the event: each is
// served at once, even one that asks the printer again.
TEST_F(PrinterTest, PropertyReadsInsideAnEventAreServed) {
  Enable();
  int32_t cover = -1, state = -1, claim = -1;
  sink_.handler = [&](int) {
    fp_.GetPropertyNumber(pidx::kCoverOpen, &cover);
    fp_.GetPropertyNumber(pidx::kState, &state);
    fp_.ClaimDevice(0, &claim);
  };
  Inject("cover open");
  EXPECT_EQ(Number(pidx::kCoverOpen), 1);
  EXPECT_EQ(sink_.events, std::vector<int>{opos::kSueCoverOpen});
  EXPECT_EQ(cover, 1);
  EXPECT_EQ(claim, kBusy);
  EXPECT_FALSE(Messaging::Instance().IsBusy());
}

}  // namespace
}  // namespace kestrel::testing
