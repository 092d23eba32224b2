// What a host has to pair replies with: late replies, strict numbering and
// replies that do not echo the command code.
#include <gtest/gtest.h>

#include "tests/emulator/EmulatorHost.h"

namespace kestrel::emulator {
namespace {

using testing::FixedOptions;
using testing::Host;

TEST(EmulatorLate, ALateReplyIsCarriedOutOnceAndItsRepeatAnsweredFromMemory) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  ASSERT_EQ(device.Command("late 1500 P03"), "ok");
  EXPECT_EQ(device.Command("late"), "error: bad arguments: late");
  const std::string item = host.Frame("P03", {"1", "ks", "1", "1.0000", "2.0000", Host::Pad("Chlieb")});
  const Transmission first = device.Exchange(item);
  EXPECT_EQ(first.lateMs, 1500);
  EXPECT_EQ(first.record.replyCode, 0);
  EXPECT_NE(first.trace.find("late"), std::string::npos) << first.trace;
  // The host gave up waiting and repeats: answered from memory, at once, or
  // as slowly as asked.
  const Transmission again = device.Exchange(item);
  EXPECT_TRUE(again.repeat);
  EXPECT_EQ(again.lateMs, 0);
  EXPECT_EQ(again.pieces, first.pieces);
  ASSERT_EQ(device.Command("slowrepeat 40"), "ok");
  EXPECT_EQ(device.Exchange(item).lateMs, 40);
  EXPECT_EQ(device.Command("slowrepeat x"), "error: slowrepeat MS");
  EXPECT_EQ(host.Send("P08", {"0"}).Field(0), "2,00");  // one item
  // Used up: the next command is on time.
  EXPECT_EQ(device.Exchange(host.Frame("P10", {})).lateMs, 0);
}

// Strict numbering: the host sends the last reply's digit + 1.
struct StrictCase {
  const char* name;
  char digit;     // the item request's digit; the expected one is '3'
  int replyCode;  // what the item request gets
  bool itemCarriedOut;
};
void PrintTo(const StrictCase& c, std::ostream* os) { *os << c.name; }

class EmulatorStrict : public ::testing::TestWithParam<StrictCase> {};

TEST_P(EmulatorStrict, TheDigitDecidesBetweenNewRepeatAndError) {
  const StrictCase& c = GetParam();
  Device device(FixedOptions());
  ASSERT_EQ(device.Command("strict on"), "ok");
  Host host(device);
  ASSERT_EQ(host.Start().code, 0);             // reply digit 1
  ASSERT_EQ(host.Send("P08", {"0"}).code, 0);  // reply digit 2
  const Transmission sent =
      device.Exchange(BuildRequest("P03", c.digit, 1, {"1", "ks", "1", "1.0000", "2.0000", Host::Pad("Chlieb")}));
  EXPECT_EQ(sent.record.replyCode, c.replyCode);
  const bool printed = device.Core().Paper().find("Chlieb") != std::string::npos;
  EXPECT_EQ(printed, c.itemCarriedOut);
}

INSTANTIATE_TEST_SUITE_P(Digits, EmulatorStrict,
                         ::testing::Values(StrictCase{"expected", '3', 0, true},
                                           // The last digit again: the subtotal's answer again, the item never printed.
                                           StrictCase{"last_again", '2', 0, false},
                                           StrictCase{"wrong", '7', 31, false}),
                         [](const ::testing::TestParamInfo<StrictCase>& p) { return std::string(p.param.name); });

TEST(EmulatorEcho, WithoutEchoEveryReplyCarriesThePrintersOwnCode) {
  Device device(FixedOptions());
  ASSERT_EQ(device.Command("echo off"), "ok");
  ASSERT_EQ(device.Command("strict on"), "ok");
  Host host(device);
  const testing::HostReply status = host.Send("S09");
  ASSERT_TRUE(status.valid);
  EXPECT_EQ(status.raw.substr(1, 3), "000");
  const testing::HostReply refused = host.SendFrame(BuildRequest("S01", '8', 1, {}));
  EXPECT_EQ(refused.code, 31);
  EXPECT_EQ(refused.raw.substr(1, 3), "000");
  ASSERT_EQ(device.Command("echo on"), "ok");
  EXPECT_EQ(host.Send("S01").raw.substr(1, 3), "S01");
}

}  // namespace
}  // namespace kestrel::emulator
