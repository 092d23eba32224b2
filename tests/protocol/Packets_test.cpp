// Building requests and reading reply fields.
#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <string>
#include <vector>

#include "tests/protocol/ProtocolFixture.h"
#include "tools/Results.h"

namespace kestrel::testing {
namespace {

class Packets : public ProtocolFixture {
 protected:
  // Fields of the request being built (closed first).
  std::vector<std::string> OutFields() {
    m.ClosePacketOut();
    return ParseRequest(m.PacketOut()).fields;
  }
  // Puts a reply into the incoming buffer the way an exchange would.
  void Receive(const std::string& frame) {
    Script({Raw(frame)});
    m.CreatePacketOut("S01", 1);
    m.ClosePacketOut();
    ASSERT_EQ(m.SendPacket(), kSuccess);
    m.ReadPacket(1);
  }
};

TEST_F(Packets, ClosedRequestMatchesTheWireExample) {
  m.CreatePacketOut("S01", 1);
  m.ClosePacketOut();
  EXPECT_EQ(std::string(m.PacketOut()),
            "\x02S01101\x03"
            "9C81");
  EXPECT_EQ(std::strlen(m.PacketOut()), 12u);
}

TEST_F(Packets, FieldTextsCannotBreakTheFrame) {
  m.CreatePacketOut("P03", 1);
  m.AddPacketOutField(
      "a\x02"
      "b\x03"
      "c\x1C"
      "d\x01");
  m.AddPacketOutField("");
  m.AddPacketOutField(nullptr);
  m.AddPacketOutField(
      "\xE8"
      "a\x9A");  // windows-1250 letters stay
  const std::vector<std::string> fields = OutFields();
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0], "a b c d ");
  EXPECT_EQ(fields[1], "");
  EXPECT_EQ(fields[3],
            "\xE8"
            "a\x9A");
}

struct TextCase {
  const char* name;
  std::string text;
  bool addBlank;
  int maxLength;
  std::vector<std::string> fields;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class PacketText : public Packets, public ::testing::WithParamInterface<TextCase> {};

TEST_P(PacketText, TextBecomesFieldsOfForty) {
  const TextCase& c = GetParam();
  m.CreatePacketOut("P20", 1);
  EXPECT_EQ(m.AddPacketOutText(c.text.c_str(), c.addBlank, c.maxLength), kSuccess);
  EXPECT_EQ(OutFields(), c.fields);
}

const std::string k40(40, ' ');
const std::string kA40(40, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, PacketText,
    ::testing::Values(
        TextCase{"empty_with_blank", "", true, 40, {k40}}, TextCase{"empty_without_blank", "", false, 40, {}},
        TextCase{"only_control_bytes", "\n\r\t", true, 40, {k40}},
        TextCase{"short_padded", "abc", false, 40, {"abc" + std::string(37, ' ')}},
        TextCase{"forty_one_bytes", kA40 + "b", false, 200, {kA40, "b" + std::string(39, ' ')}},
        TextCase{"control_removed_before_cut", "\n" + kA40 + "\nb", false, 200, {kA40, "b" + std::string(39, ' ')}},
        TextCase{"cut_at_max_length", kA40 + "bbbb", false, 42, {kA40, "bb" + std::string(38, ' ')}},
        TextCase{"max_length_counts_control_bytes", "\n\nabcd", false, 4, {"ab" + std::string(38, ' ')}}),
    [](const ::testing::TestParamInfo<TextCase>& p) { return std::string(p.param.name); });

TEST_F(Packets, UpdateRewritesSequenceTypeAndCrcKeepingTheFields) {
  // The printer's reply moves the sequence on to 6.
  Receive(ReplyFrame("S01", '5', 0));
  ASSERT_EQ(m.NextSequence(), 6);
  m.CreatePacketOut("P15", 1);
  m.AddPacketOutField("2");
  m.ClosePacketOut();
  EXPECT_EQ(std::string(m.PacketOut()), Framed("P15601\x1C"
                                               "2"));

  // A reply read without a new request (a poll's answer) moves it to 8.
  line->Arrive(ReplyFrame("P15", '7', 11));
  ASSERT_EQ(m.ReadPacket(1), 11);
  m.UpdatePacketOut(nullptr, 2);
  EXPECT_EQ(std::string(m.PacketOut()), Framed("P15802\x1C"
                                               "2"));
  m.UpdatePacketOut("S99", 0);
  EXPECT_EQ(std::string(m.PacketOut()), Framed("S99802\x1C"
                                               "2"));
  EXPECT_TRUE(Logged("[Messaging::UpdatePacketOut] \r\n"));
}

TEST_F(Packets, OversizedRequestIsRefusedAndNeverSent) {
  ASSERT_EQ(m.OpenPort(), kSuccess);
  m.CreatePacketOut("P20", 1);
  const std::string chunk(1000, 'x');
  int last = kSuccess;
  for (int i = 0; i < 12; ++i) last = m.AddPacketOutField(chunk.c_str());
  EXPECT_EQ(last, kIllegal);
  EXPECT_EQ(m.ClosePacketOut(), kIllegal);
  EXPECT_LT(std::strlen(m.PacketOut()), kPacketBufferSize);
  EXPECT_EQ(m.SendReceive(4), kIllegal);
  EXPECT_TRUE(line->writes.empty());
  EXPECT_TRUE(Logged("Request P20 exceeds 10000 bytes, refused"));

  // The next request starts afresh.
  Script({Reply(0)});
  m.CreatePacketOut("S01", 1);
  m.ClosePacketOut();
  EXPECT_EQ(m.SendReceive(1), kSuccess);
}

TEST_F(Packets, LargestRequestThatFitsIsSent) {
  Script({Reply(0)});
  m.CreatePacketOut("P20", 1);
  // header 7 + FS + text + ETX + CRC 4 + terminator = 10000
  const std::string text(kPacketBufferSize - 7 - 1 - 5 - 1, 'x');
  EXPECT_EQ(m.AddPacketOutField(text.c_str()), kSuccess);
  EXPECT_EQ(m.ClosePacketOut(), kSuccess);
  EXPECT_EQ(m.SendReceive(1), kSuccess);
  ASSERT_EQ(line->writes.size(), 1u);
  EXPECT_EQ(line->writes[0].size(), kPacketBufferSize - 1);
}

TEST_F(Packets, FieldsAreCountedAfterTheHeaderSkippingEmptyOnes) {
  Receive(ReplyFrame("S01", '1', 0, {"5"}));
  char field[10];
  ASSERT_EQ(m.GetPacketInField(field, sizeof field, 0), kSuccess);
  EXPECT_STREQ(field, "5");
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, 1), kFailure);
  EXPECT_STREQ(field, "");

  Receive(ReplyFrame("S01", '1', 0, {"a", "", "c", "d"}));
  ASSERT_EQ(m.GetPacketInField(field, sizeof field, 1), kSuccess);
  EXPECT_STREQ(field, "c");
  ASSERT_EQ(m.GetPacketInField(field, sizeof field, 2), kSuccess);
  EXPECT_STREQ(field, "d");
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, 3), kFailure);
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, -1), kFailure);
}

TEST_F(Packets, BareReplyHasACodeButNoField) {
  Receive(ReplyFrame("S01", '1', 0));
  ASSERT_EQ(std::strlen(m.PacketIn()), 12u);
  char field[10] = "old";
  EXPECT_EQ(m.GetPacketInField(field, sizeof field, 0), kFailure);
  EXPECT_STREQ(field, "");
}

TEST_F(Packets, LongFieldIsCutAndStaysTerminated) {
  Receive(ReplyFrame("S01", '1', 0, {"123456789012"}));
  char field[8];
  std::memset(field, 'z', sizeof field);
  ASSERT_EQ(m.GetPacketInField(field, sizeof field, 0), kSuccess);
  EXPECT_STREQ(field, "1234567");
  char one[1];
  EXPECT_EQ(m.GetPacketInField(one, 1, 0), kSuccess);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(m.GetPacketInField(nullptr, 10, 0), kFailure);
}

TEST_F(Packets, ErrorTextKeepsAtMostOneHundredCharacters) {
  const std::string longText(150, 'e');
  m.SetErrorMessage(longText.c_str());
  EXPECT_EQ(std::string(m.GetErrorMessage()), std::string(100, 'e'));
  m.SetErrorMessage(nullptr);
  EXPECT_EQ(std::strlen(m.GetErrorMessage()), 100u);
  m.SetErrorMessage("");
  EXPECT_STREQ(m.GetErrorMessage(), "");
}

TEST(ReplyAmount, CommaIsTheDecimalPoint) {
  EXPECT_DOUBLE_EQ(DecodeReplyAmount("100,50"), 100.5);
  EXPECT_DOUBLE_EQ(DecodeReplyAmount("-2,25"), -2.25);
  EXPECT_DOUBLE_EQ(DecodeReplyAmount("12"), 12);
  EXPECT_DOUBLE_EQ(DecodeReplyAmount("7,5 EUR"), 7.5);
  EXPECT_DOUBLE_EQ(DecodeReplyAmount("abc"), 0);
  EXPECT_DOUBLE_EQ(DecodeReplyAmount(""), 0);
  EXPECT_DOUBLE_EQ(DecodeReplyAmount(nullptr), 0);
}

}  // namespace
}  // namespace kestrel::testing
