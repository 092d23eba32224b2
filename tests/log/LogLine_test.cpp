#include <string>

#include "tests/log/LogFixture.h"

namespace kestrel::testing {
namespace {

TEST_F(LogTest, LinesCarryTimeTagAndInnerLayerMark) {
  ASSERT_EQ(log().LoadSettings(), 111);  // no LogDebug value: read fails, the rest is in force
  log().Write("FiscalPrinter::ClaimDevice", "Port %s, timeout %d", "COM1", 500);
  log().Write("RS232::ClosePort", "Port closed");
  log().Write("FiscalPrinterX::Y", "flush");  // only the first 13 characters count
  log().Write("FiscalPrinte", "inner");
  log().Write("", "ignored");  // an opening of the service: the time alone
  log().Write(nullptr, "never");
  EXPECT_EQ(Today(),
            "10:20:30\t[FiscalPrinter::ClaimDevice] Port COM1, timeout 500\r\n"
            "10:20:30\t- [RS232::ClosePort] Port closed\r\n"
            "10:20:30\t[FiscalPrinterX::Y] flush\r\n"
            "10:20:30\t- [FiscalPrinte] inner\r\n"
            "10:20:30\r\n");
}

TEST_F(LogTest, NothingIsWrittenBeforeADataDirectoryIsKnown) {
  log().Write("Journal::Save", "before loading");
  profile_.Remove("DataDirectory");
  EXPECT_EQ(log().LoadSettings(), 111);
  log().Write("Journal::Save", "no directory");
  log().WriteData("RS232::SendPacket", "Packet sent", "ab", 2);
  EXPECT_TRUE(log().DataDirectory().empty());

  // A later open that finds the value starts the log.
  profile_.Set("DataDirectory", profile_.DataDir());
  log().LoadSettings();
  log().Write("Journal::Save", "now");
  EXPECT_EQ(Today(), "10:20:30\t- [Journal::Save] now\r\n");
}

TEST_F(LogTest, OverlongMessageAndTagAreCutAndTheLineStillWritten) {
  log().LoadSettings();
  log().Write("Journal::Save", "%s", std::string(30000, 'x').c_str());
  log().Write(std::string(25000, 't').c_str(), "m");
  log().Write("Journal::Save", "after");
  auto lines = TodayLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "10:20:30\t- [Journal::Save] " + std::string(19999, 'x'));
  EXPECT_EQ(lines[1].size(), 20097u);  // 20100 with CR LF and terminator
  EXPECT_EQ(lines[2], "10:20:30\t- [Journal::Save] after");
}

TEST_F(LogTest, MessagesAroundTheShortBufferAreWrittenWhole) {
  // Short messages are formatted on the stack and longer ones again on the
  // heap; a message on either side of that switch must come out whole.
  log().LoadSettings();
  const std::size_t lengths[] = {0, 1, 510, 511, 512, 513, 1500};
  for (std::size_t length : lengths) log().Write("Log::Test", "%s|%d", std::string(length, 'y').c_str(), 7);
  auto lines = TodayLines();
  ASSERT_EQ(lines.size(), std::size(lengths));
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    EXPECT_EQ(lines[i], "10:20:30\t- [Log::Test] " + std::string(lengths[i], 'y') + "|7") << lengths[i];
  }
}

TEST_F(LogTest, DumpHasLabelLineThenHundredBytesPerLine) {
  log().LoadSettings();
  std::string packet;
  for (int i = 0; i < 250; ++i) packet += static_cast<char>('a' + i % 26);
  log().WriteData("RS232::ReadPacket", "Packet received", packet.data(), packet.size());
  auto lines = TodayLines();
  ASSERT_EQ(lines.size(), 4u);
  const std::string prefix = "10:20:30\t- [RS232::ReadPacket] ";
  EXPECT_EQ(lines[0], prefix + "Packet received (250)");
  EXPECT_EQ(lines[1], prefix + packet.substr(0, 100));
  EXPECT_EQ(lines[2], prefix + packet.substr(100, 100));
  EXPECT_EQ(lines[3], prefix + packet.substr(200));
}

TEST_F(LogTest, DumpEscapesControlBytesAndPercent) {
  log().LoadSettings();
  const unsigned char bytes[] = {0x02, 0x03, 0x0A, 0x0D, 0x1C, 0x25, 0x00, 0x1B, 0x1F, 0x20, 'A', 0x7F, 0xFF};
  // A percent sign in a label is text as well, never a format.
  log().WriteData("RS232::SendPacket", "100% sent", bytes, sizeof bytes);
  auto lines = TodayLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "10:20:30\t- [RS232::SendPacket] 100% sent (13)");
  EXPECT_EQ(lines[1], "10:20:30\t- [RS232::SendPacket] [STX][ETX][\\n][\\r][FS][perc][0x00][0x1B][0x1F] A\x7F\xFF");
}

}  // namespace
}  // namespace kestrel::testing
