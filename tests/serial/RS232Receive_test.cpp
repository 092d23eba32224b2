// Collecting one reply frame: cutting, joining, CRC check, limits.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <string>
#include <vector>

#include "serial/Frame.h"
#include "serial/RS232.h"
#include "tests/serial/SerialFixture.h"
#include "tools/Results.h"

namespace kestrel::testing {
namespace {

class RS232Receive : public SerialFixture {
 protected:
  void SetUp() override {
    SerialFixture::SetUp();
    ASSERT_EQ(RS232::Instance().OpenPort(), kSuccess);
    buffer.assign(kPacketBufferSize, '\x7F');
  }
  int Read(int timeout = 1) { return RS232::Instance().ReadPacket(buffer.data(), buffer.size(), timeout); }
  std::string Held() const { return std::string(buffer.data()); }

  std::vector<char> buffer;
  const std::string frame = ReplyFrame("S09", '1', 0, {"6"});
};

struct PieceCase {
  const char* name;
  std::vector<std::string> pieces;  // what arrives, read by read
  int result;
  const char* logged;  // a line the receive must log, or ""
};

void PrintTo(const PieceCase& c, std::ostream* os) { *os << c.name; }

class RS232Pieces : public RS232Receive, public ::testing::WithParamInterface<PieceCase> {};

TEST_P(RS232Pieces, FrameIsCutOutOfWhatArrives) {
  const PieceCase& c = GetParam();
  for (const std::string& p : c.pieces) line->Arrive(p, 2);
  EXPECT_EQ(Read(), c.result);
  if (c.result == kSuccess) {
    EXPECT_EQ(Held(), frame);
    // Behind the frame the buffer reads as zeros.
    for (std::size_t i = frame.size(); i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0) << i;
  }
  if (*c.logged != 0) {
    EXPECT_TRUE(Logged(c.logged)) << LogText();
  }
  EXPECT_TRUE(Logged(c.result == kSuccess ? "Valid packet received" : "Invalid packet received!"));
}

const std::string kFrame = ReplyFrame("S09", '1', 0, {"6"});

INSTANTIATE_TEST_SUITE_P(
    Arrivals, RS232Pieces,
    ::testing::Values(
        PieceCase{"whole", {kFrame}, kSuccess, ""},
        PieceCase{"noise_before", {"xyz" + kFrame}, kSuccess, "First 3 bytes ignored"},
        PieceCase{"noise_in_earlier_read", {"junk\x03", kFrame}, kSuccess, ""},
        PieceCase{"bytes_after", {kFrame + "zz"}, kSuccess, "Last 2 bytes ignored"},
        PieceCase{"split_three_ways", {kFrame.substr(0, 4), kFrame.substr(4, 6), kFrame.substr(10)}, kSuccess, ""},
        PieceCase{
            "split_inside_crc", {kFrame.substr(0, kFrame.size() - 2), kFrame.substr(kFrame.size() - 2)}, kSuccess, ""},
        PieceCase{"incomplete", {kFrame.substr(0, 8)}, kFailure, ""},
        PieceCase{"lower_case_crc", {kFrame.substr(0, kFrame.size() - 4) + "abcd"}, kFailure, "CRC check failed"},
        PieceCase{"corrupted_body",
                  {"\x02S09"
                   "2" +
                   kFrame.substr(5)},
                  kFailure,
                  "CRC check failed"}),
    [](const ::testing::TestParamInfo<PieceCase>& p) { return std::string(p.param.name); });

TEST_F(RS232Receive, LowerCaseDigitsOfARightCrcDoNotMatch) {
  // Find a frame whose CRC has a letter, and send it in lower case.
  std::string f;
  for (int i = 0; i < 50; ++i) {
    f = ReplyFrame("S09", '1', 0, {std::to_string(i)});
    if (f.find_first_of("ABCDEF", f.size() - 4) != std::string::npos) break;
  }
  for (std::size_t i = f.size() - 4; i < f.size(); ++i) f[i] = static_cast<char>(std::tolower(f[i]));
  line->Arrive(f);
  EXPECT_EQ(Read(), kFailure);
  EXPECT_TRUE(Logged("CRC check failed"));
}

TEST_F(RS232Receive, NothingWithinTheTimeoutIsATimeoutWithoutInvalidPacketLine) {
  EXPECT_EQ(Read(2), kTimeout);
  EXPECT_EQ(line->polls, 100);
  EXPECT_FALSE(Logged("Invalid packet received!"));
}

TEST_F(RS232Receive, EveryFurtherPieceGetsTheFullTimeout) {
  // The second piece comes after 40 empty polls, within one more second.
  line->Arrive(kFrame.substr(0, 5));
  line->Arrive(kFrame.substr(5), 40);
  EXPECT_EQ(Read(1), kSuccess);
  // A piece slower than the time-out ends the receive.
  line->Arrive(kFrame.substr(0, 5));
  line->Arrive(kFrame.substr(5), 60);
  EXPECT_EQ(Read(1), kFailure);
}

TEST_F(RS232Receive, NulBytesOfAValidReplyReadAsOne) {
  const std::string withNul = ReplyFrame("S04", '1', 0, {std::string("a\0b", 3)});
  line->Arrive(withNul);
  ASSERT_EQ(Read(), kSuccess);
  std::string expected = withNul;
  expected[expected.find('\0')] = '\x01';
  EXPECT_EQ(std::string(buffer.data(), withNul.size()), expected);
}

TEST_F(RS232Receive, MoreThanTheBufferWithoutAFrameFailsWithoutOverrun) {
  // One endless reply: STX and then bytes without ETX, in pieces of 3000.
  line->Arrive("\x02" + std::string(2999, 'x'));
  for (int i = 0; i < 4; ++i) line->Arrive(std::string(3000, 'y'));
  EXPECT_EQ(Read(), kFailure);
  EXPECT_TRUE(Logged("No complete frame within 10000 bytes"));
  EXPECT_EQ(buffer[kPacketBufferSize - 1], 0);  // still a terminated string
}

TEST_F(RS232Receive, OneHugeNoisyPieceFailsToo) {
  line->Arrive("ab\x02" + std::string(kPacketBufferSize, 'x'));
  EXPECT_EQ(Read(), kFailure);
}

TEST_F(RS232Receive, AFrameFillingTheBufferExactlyFits) {
  // STX + body + ETX + CRC = 9999 bytes, the terminator takes the last byte.
  const std::string big = Framed(std::string(kPacketBufferSize - 1 - 6, 'q'));
  ASSERT_EQ(big.size(), kPacketBufferSize - 1);
  line->Arrive(big);
  EXPECT_EQ(Read(), kSuccess);
  EXPECT_EQ(Held(), big);
}

// Lines that never bring a frame: every receive still ends, with 111 and a
// single log line, however the bytes come. The line runs at 9600 baud, where
// 20 ms bring 19 bytes.
struct StreamCase {
  const char* name;
  std::string unit;  // repeated endlessly, one per poll (or per `every` polls)
  int every;         // empty polls between two units
  long maxPolls;     // the receive's bound for a 1 s time-out at 9600 baud
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

class RS232Stream : public RS232Receive, public ::testing::WithParamInterface<StreamCase> {
 protected:
  void SetUp() override {
    profile.Set("Baudrate", "9600");
    RS232Receive::SetUp();
  }
};

TEST_P(RS232Stream, EndsWithOneLogLine) {
  const StreamCase& c = GetParam();
  for (int i = 0; i < 2000; ++i) line->Arrive(c.unit, c.every);
  EXPECT_EQ(Read(1), kFailure);
  EXPECT_LE(line->polls, c.maxPolls);
  const std::string log = LogText();
  std::size_t lines = 0;
  for (std::size_t at = log.find("[RS232::ReadPacket]"); at != std::string::npos;
       at = log.find("[RS232::ReadPacket]", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 1u) << log;
  EXPECT_TRUE(Logged("No complete frame within 10000 bytes")) << log;
  EXPECT_EQ(buffer[0], 0);  // nothing of the stream passes for a frame
}

INSTANTIATE_TEST_SUITE_P(Lines, RS232Stream,
                         ::testing::Values(
                             // A scale on the wrong port: bytes without any start byte, the byte limit ends it.
                             StreamCase{"no_start_byte", std::string("0123456789ABCDEFGH\r", 19), 0, 530},
                             // Start bytes, but never an end byte.
                             StreamCase{"start_bytes_without_end",
                                        std::string("\x02"
                                                    "1234567890abcdefgh",
                                                    19),
                                        0, 530},
                             // Noise with a start byte in the middle of every piece.
                             StreamCase{"start_byte_mid_piece",
                                        std::string("xy\x02"
                                                    "1234567890abcdef",
                                                    19),
                                        0, 530},
                             // A trickle slower than the wire but faster than the time-out: the
                             // byte limit would take hours, the deadline (1 s + the wire time of
                             // 10000 bytes, 521 polls) ends it.
                             StreamCase{"slow_trickle", "z", 40, 50 + 521}),
                         [](const ::testing::TestParamInfo<StreamCase>& p) { return std::string(p.param.name); });

TEST_F(RS232Receive, AFullSizeReplyAtNineThousandSixHundredBaudStillArrives) {
  profile.Set("Baudrate", "9600");
  RS232::Instance().ClosePort();
  ASSERT_EQ(RS232::Instance().OpenPort(), kSuccess);
  // A journal block as long as a reply can be, starting late in the time-out
  // and coming at wire speed: 96 bytes every 100 ms, over ten seconds.
  const std::string big = ReplyFrame("S04", '1', 0, {"1", "0", "1", std::string(kPacketBufferSize - 1 - 19, 'j')});
  ASSERT_EQ(big.size(), kPacketBufferSize - 1);
  line->Arrive(big.substr(0, 96), 40);
  for (std::size_t at = 96; at < big.size(); at += 96) line->Arrive(big.substr(at, 96), 4);
  EXPECT_EQ(Read(1), kSuccess);
  EXPECT_TRUE(Held() == big) << Held().size() << " bytes held";
}

TEST_F(RS232Receive, BytesAfterAFrameStartTheNextReceiveUnlessASendDiscardsThem) {
  const std::string second = ReplyFrame("S01", '2', 0, {"x"});
  line->Arrive(kFrame + second);
  ASSERT_EQ(Read(), kSuccess);
  EXPECT_EQ(Held(), kFrame);
  ASSERT_EQ(Read(), kSuccess);  // at once, from what already came
  EXPECT_EQ(Held(), second);

  line->Arrive(kFrame + second);
  ASSERT_EQ(Read(), kSuccess);
  ASSERT_EQ(RS232::Instance().SendPacket("\x02S01101\x03"
                                         "9C81"),
            kSuccess);
  EXPECT_EQ(Read(), kTimeout);
}

TEST_F(RS232Receive, ClosedPortIsNotReopenedForReceiving) {
  RS232::Instance().ClosePort();
  line->Arrive(kFrame);
  EXPECT_EQ(Read(), kClosed);
  EXPECT_FALSE(line->open);
}

}  // namespace
}  // namespace kestrel::testing
