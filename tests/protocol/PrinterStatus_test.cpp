// Mechanical status, PrinterState, firmware version and slip station.
#include <gtest/gtest.h>

#include <ostream>

#include <string>

#include "tests/protocol/ProtocolFixture.h"
#include "tools/Results.h"

namespace kestrel::testing {
namespace {

struct ReceiptStatusCase {
  Answer reply;
  int result;
};

void PrintTo(const ReceiptStatusCase& c, std::ostream* os) { *os << "result " << c.result; }

class ReceiptStatus : public ProtocolFixture, public ::testing::WithParamInterface<ReceiptStatusCase> {};

TEST_P(ReceiptStatus, StatusDigitGivesResult) {
  script.push_back(GetParam().reply);
  EXPECT_EQ(m.GetPrinterStatus(kStationReceipt), GetParam().result);
  ASSERT_FALSE(Sent().empty());
  EXPECT_EQ(Sent()[0].code, "S09");
}

INSTANTIATE_TEST_SUITE_P(
    Digits, ReceiptStatus,
    ::testing::Values(ReceiptStatusCase{Reply(0, {"0"}), kSuccess}, ReceiptStatusCase{Reply(0, {"1"}), kCoverOpen},
                      ReceiptStatusCase{Reply(0, {"2"}), kReceiptEmpty},
                      ReceiptStatusCase{Reply(0, {"5"}), kReceiptEmpty},
                      ReceiptStatusCase{Reply(0, {"6"}), kReceiptPaperNearEnd},
                      ReceiptStatusCase{Reply(0, {"7"}), kFailure}, ReceiptStatusCase{Reply(0, {"-1"}), kFailure},
                      ReceiptStatusCase{Reply(0), kFailure},   // no field
                      ReceiptStatusCase{Silence(), kTimeout},  // switched off
                      ReceiptStatusCase{Reply(12), kFailure},  // busy is not a status
                      ReceiptStatusCase{Reply(73), kFailure}),
    [](const ::testing::TestParamInfo<ReceiptStatusCase>& p) { return "case" + std::to_string(p.index); });

class SlipStatus : public ProtocolFixture {};

TEST_F(SlipStatus, WithoutSlipStationNothingIsSent) {
  EXPECT_EQ(m.GetPrinterStatus(kStationSlip), kSlipEmpty);
  EXPECT_TRUE(line->writes.empty());
}

TEST_F(SlipStatus, SensorBitsDecide) {
  MessagingTestPeer::SetSlip(m, true);
  Script({Reply(0, {"20"}), Reply(0, {"10"}), Reply(0, {"4F"}), Reply(0), Silence(), Silence(), Silence()});
  EXPECT_EQ(m.GetPrinterStatus(kStationSlip), kSlipEmpty);
  EXPECT_EQ(m.GetPrinterStatus(kStationSlip), kSlipForm);
  EXPECT_EQ(m.GetPrinterStatus(kStationSlip), kSlipEmpty);
  EXPECT_EQ(m.GetPrinterStatus(kStationSlip), kFailure);
  EXPECT_EQ(m.GetPrinterStatus(kStationSlip), kTimeout);
  const Request first = Sent()[0];
  EXPECT_EQ(first.code, "P22");
  EXPECT_EQ(first.fields, (std::vector<std::string>{"1D0405"}));
}

struct StateCase {
  int major;
  int minor;
  const char* field3;
  int state;
};

void PrintTo(const StateCase& c, std::ostream* os) { *os << "field " << c.field3; }

class RefreshedState : public ProtocolFixture, public ::testing::WithParamInterface<StateCase> {};

TEST_P(RefreshedState, FieldThreeMapsByFirmware) {
  const StateCase& c = GetParam();
  MessagingTestPeer::SetFirmware(m, c.major, c.minor);
  MessagingTestPeer::SetPrinterState(m, kPrinterStateNonFiscal);
  Script({Reply(0, {"00", "0", "x", c.field3})});
  EXPECT_EQ(m.GetFiscalPrinterState(true), c.state);
  EXPECT_EQ(SentCodes(), std::vector<std::string>{"S01"});
  // Only returned, never cached.
  EXPECT_EQ(m.GetFiscalPrinterState(false), kPrinterStateNonFiscal);
}

INSTANTIATE_TEST_SUITE_P(Firmware, RefreshedState,
                         ::testing::Values(StateCase{2, 14, "2", 2}, StateCase{2, 14, "3", 4}, StateCase{2, 7, "3", 3},
                                           StateCase{3, 0, "3", 4}, StateCase{2, 14, "5", 3}, StateCase{2, 7, "5", 3},
                                           StateCase{2, 14, "6", 3}, StateCase{2, 7, "6", 4}, StateCase{2, 14, "4", 1},
                                           StateCase{2, 7, "4", 1}, StateCase{2, 14, "0", 1},
                                           StateCase{2, 14, "30", 1}),
                         [](const ::testing::TestParamInfo<StateCase>& p) {
                           return "fw" + std::to_string(p.param.major) + "_" + std::to_string(p.param.minor) +
                                  "_field" + p.param.field3;
                         });

using CachedState = ProtocolFixture;

TEST_F(CachedState, RefreshNeedsAKnownFirmwareAndAnAnswer) {
  MessagingTestPeer::SetPrinterState(m, kPrinterStateFiscalReceipt);
  EXPECT_EQ(m.GetFiscalPrinterState(true), kPrinterStateFiscalReceipt);  // version -1/-1
  EXPECT_TRUE(line->writes.empty());
  MessagingTestPeer::SetFirmware(m, 2, 14);
  EXPECT_EQ(m.GetFiscalPrinterState(true), kPrinterStateFiscalReceipt);  // silent printer
  EXPECT_TRUE(Logged("PrinterState is 2"));
}

struct FirmwareCase {
  const char* name;
  bool v7;
  Answer reply;
  int result;
  int major;
  int minor;
  bool asks;
};

void PrintTo(const FirmwareCase& c, std::ostream* os) { *os << c.name; }

class Firmware : public ProtocolFixture, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(Firmware, VersionTextGivesMajorAndMinor) {
  const FirmwareCase& c = GetParam();
  script.push_back(c.reply);
  EXPECT_EQ(m.SetFirmwareVersion(c.v7), c.result);
  EXPECT_EQ(m.GetMajorVersion(), c.major);
  EXPECT_EQ(m.GetMinorVersion(), c.minor);
  EXPECT_EQ(!line->writes.empty(), c.asks);
  if (c.asks) {
    EXPECT_EQ(Sent()[0].code, "S08");
  }
  EXPECT_TRUE(Logged("FW version " + std::to_string(c.major) + "-" + std::to_string(c.minor)));

  // Determined once per process.
  const std::size_t sent = line->writes.size();
  Script({Reply(0, {"9.9.99"})});
  EXPECT_EQ(m.SetFirmwareVersion(false), kSuccess);
  EXPECT_EQ(m.GetMinorVersion(), c.minor);
  EXPECT_EQ(line->writes.size(), sent);
}

INSTANTIATE_TEST_SUITE_P(Texts, Firmware,
                         ::testing::Values(FirmwareCase{"three_pieces", false, Reply(0, {"2.5.23"}), kSuccess, 2, 23,
                                                        true},
                                           FirmwareCase{"two_pieces", false, Reply(0, {"3.1"}), kFailure, 3, 14, true},
                                           FirmwareCase{"no_reply", false, Silence(), kFailure, 2, 14, true},
                                           FirmwareCase{"v7_protocol", true, Silence(), kFailure, 2, 7, false}),
                         [](const ::testing::TestParamInfo<FirmwareCase>& p) { return std::string(p.param.name); });

using SlipStation = ProtocolFixture;

TEST_F(SlipStation, PresentWhenItemSeventyThreeIsSix) {
  Script({Reply(0, {"6"}), Reply(0, {"5"}), Silence(), Silence(), Silence()});
  EXPECT_EQ(m.SetSlipPresent(), kSuccess);
  EXPECT_TRUE(m.GetSlipPresent());
  EXPECT_EQ(Sent()[0].code, "S03");
  EXPECT_EQ(Sent()[0].fields, std::vector<std::string>{"73"});
  EXPECT_TRUE(Logged("Slip present 1"));
  EXPECT_EQ(m.SetSlipPresent(), kSuccess);
  EXPECT_FALSE(m.GetSlipPresent());
  EXPECT_EQ(m.SetSlipPresent(), kFailure);
  EXPECT_FALSE(m.GetSlipPresent());
}

}  // namespace
}  // namespace kestrel::testing
