// The printer's framing: CRC, parsing of what the line delivers, and the
// replies to frames it cannot use.
#include <gtest/gtest.h>

#include "emulator/Frame.h"
#include "tests/emulator/EmulatorHost.h"

namespace kestrel::emulator {
namespace {

using testing::FixedOptions;
using testing::Host;

TEST(EmulatorFrame, RequestMatchesTheWorkedExampleAndRoundTrips) {
  std::string frame = BuildRequest("S01", '1', 1, {});
  EXPECT_EQ(frame, std::string("\x02S0110"
                               "1\x03"
                               "9C81"));

  Request request;
  ASSERT_EQ(ParseRequest(BuildRequest("P03", '7', 1, {"1", "", "Ro\x9Eok"}), request), ParseError::kNone);
  EXPECT_EQ(request.code, "P03");
  EXPECT_EQ(request.sequence, '7');
  EXPECT_EQ(request.type, 1);
  EXPECT_EQ(request.fields, (std::vector<std::string>{"1", "", "Ro\x9Eok"}));
}

TEST(EmulatorFrame, ParseRejectsDamagedFrames) {
  Request request;
  std::string good = BuildRequest("S09", '2', 1, {});
  std::string badCrc = good;
  badCrc.back() = badCrc.back() == '0' ? '1' : '0';
  EXPECT_EQ(ParseRequest(badCrc, request), ParseError::kBadCrc);
  EXPECT_EQ(ParseRequest("\x02S0\x03", request), ParseError::kTooShort);
  std::string letters = "\x02S09XX\x03";
  letters += FrameCrc(letters);
  EXPECT_EQ(ParseRequest(letters, request), ParseError::kBadHeader);
  // A host may write the CRC in lower case; the value is what counts.
  std::string lower = good;
  for (std::size_t i = lower.size() - 4; i < lower.size(); ++i) lower[i] = static_cast<char>(std::tolower(lower[i]));
  EXPECT_EQ(ParseRequest(lower, request), ParseError::kNone);
}

TEST(EmulatorFrame, ReplyFieldsNeverCarryFrameBytes) {
  // A stored text (a header line sent by a careless host) may hold them.
  const std::string frame = BuildReply("S03", '4', 0,
                                       {"a\x02"
                                        "b\x03"
                                        "c\x1C"
                                        "d",
                                        "ok"});
  Reply reply;
  ASSERT_TRUE(ParseReply(frame, reply));
  EXPECT_EQ(reply.fields, (std::vector<std::string>{"a b c d", "ok"}));
}

TEST(EmulatorFrame, AssemblerDropsNoiseJoinsPiecesAndRestartsOnStx) {
  FrameAssembler assembler;
  std::string a = BuildRequest("S01", '1', 1, {});
  std::string b = BuildRequest("S09", '2', 1, {"x"});
  std::string stream = "\x55\xAA" + a.substr(0, 3) + a + b;  // noise, a broken start, two frames
  for (char c : stream) assembler.Feed(&c, 1);
  std::string frame;
  ASSERT_TRUE(assembler.Next(frame));
  EXPECT_EQ(frame, a);
  ASSERT_TRUE(assembler.Next(frame));
  EXPECT_EQ(frame, b);
  EXPECT_FALSE(assembler.Next(frame));
}

TEST(EmulatorFrame, AssemblerDropsAFrameThatNeverEnds) {
  FrameAssembler assembler;
  std::string endless = "\x02" + std::string(FrameAssembler::kMaxFrame + 10, 'A');
  assembler.Feed(endless.data(), endless.size());
  EXPECT_LT(assembler.Pending(), FrameAssembler::kMaxFrame);
  std::string good = BuildRequest("S01", '1', 1, {});
  assembler.Feed(good.data(), good.size());
  std::string frame;
  ASSERT_TRUE(assembler.Next(frame));
  EXPECT_EQ(frame, good);
}

struct BadRequestCase {
  const char* name;
  std::string frame;
  int code;
};

TEST(EmulatorFrame, PrinterAnswersUnusableRequestsWithTheirCodes) {
  std::string badCrc = BuildRequest("S01", '1', 1, {});
  badCrc[badCrc.size() - 1] = badCrc.back() == '0' ? '1' : '0';
  const BadRequestCase cases[] = {
      {"wrong CRC", badCrc, 34},
      {"unknown command", BuildRequest("X99", '1', 1, {}), 35},
      {"no P05", BuildRequest("P05", '1', 1, {}), 35},
      {"packet type 7", BuildRequest("S01", '1', 7, {}), 32},
      {"journal transfer as type 1", BuildRequest("S04", '1', 1, {}), 32},
      {"type 5 for another command", BuildRequest("S01", '1', 5, {}), 32},
      {"result request without a long operation", BuildRequest("P03", '1', 3, {}), 32},
  };
  for (const BadRequestCase& c : cases) {
    Device device(FixedOptions());
    Host host(device);
    testing::HostReply reply = host.SendFrame(c.frame);
    ASSERT_TRUE(reply.valid) << c.name;
    EXPECT_EQ(reply.code, c.code) << c.name;
  }
}

TEST(EmulatorSequence, ReplyDigitsCountUpAndWrapAfterNine) {
  Device device(FixedOptions());
  Host host(device);
  std::string digits;
  for (int i = 0; i < 11; ++i) {
    testing::HostReply reply = host.Send("S09");
    ASSERT_TRUE(reply.valid);
    digits += reply.raw[4];
  }
  EXPECT_EQ(digits, "12345678912");
}

TEST(EmulatorSequence, AResendOfTheLastRequestIsAnsweredAgainNotCarriedOutTwice) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  std::string item = host.Frame("P03", {"1", "ks", "1", "1.0000", "2.0000", Host::Pad("Chlieb")});
  ASSERT_EQ(host.SendFrame(item).code, 0);
  Transmission again = device.Exchange(item);  // the host lost the reply and resends
  EXPECT_EQ(again.record.note, "repeat");
  EXPECT_EQ(again.record.replyFields, std::vector<std::string>{"2,00"});
  EXPECT_EQ(host.Send("P08", {"0"}).Field(0), "2,00");  // one item, not two
}

TEST(EmulatorSequence, StrictPrinterAnswers31AndAcceptsTheRefreshedResend) {
  Device device(FixedOptions());
  ASSERT_EQ(device.Command("strict on"), "ok");
  Host host(device);
  EXPECT_EQ(host.Send("S09").code, 0);
  // The host sends digit 5 where 2 is expected.
  testing::HostReply refused = host.SendFrame(BuildRequest("P02", '5', 1, {"0", "0", "202601021030005"}));
  EXPECT_EQ(refused.code, 31);
  EXPECT_FALSE(device.Core().ReceiptOpen());
  EXPECT_EQ(host.NextDigit(), '2');  // the 31 reply carried the last digit used
  EXPECT_EQ(host.Start().code, 0);
  EXPECT_TRUE(device.Core().ReceiptOpen());
}

}  // namespace
}  // namespace kestrel::emulator
