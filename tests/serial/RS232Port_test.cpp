// Opening, configuring, closing and sending on the serial port.
#include <gtest/gtest.h>

#include <ostream>

#include "serial/RS232.h"
#include "tests/serial/SerialFixture.h"
#include "tools/Results.h"

namespace kestrel::testing {
namespace {

using RS232Port = SerialFixture;

TEST_F(RS232Port, OpensTheProfilePortWithTheFixedLineSettings) {
  RS232& port = RS232::Instance();
  ASSERT_EQ(port.OpenPort(), kSuccess);
  ASSERT_EQ(line->opened.size(), 1u);
  EXPECT_EQ(line->opened[0], "COM7");
  ASSERT_EQ(line->settings.size(), 1u);
  const LineSettings& s = line->settings[0];
  EXPECT_EQ(s.baudRate, 115200u);
  EXPECT_EQ(s.byteSize, 8);
  EXPECT_EQ(s.parity, 0);
  EXPECT_EQ(s.stopBits, 0);
  EXPECT_TRUE(s.dtrEnable);
  EXPECT_FALSE(s.rtsEnable);
  EXPECT_TRUE(s.txContinueOnXoff);
  EXPECT_TRUE(Logged("Opening port COM7..."));
  EXPECT_TRUE(Logged("Port opened 1234"));

  // Already open: nothing is applied again.
  EXPECT_EQ(port.OpenPort(), kSuccess);
  EXPECT_EQ(line->opened.size(), 1u);
  EXPECT_EQ(line->settings.size(), 1u);
}

TEST_F(RS232Port, MissingPortOrUnopenableDeviceFails) {
  profile.Set("Port", "");
  EXPECT_EQ(RS232::Instance().OpenPort(), kFailure);
  EXPECT_TRUE(Logged("Cannot load port file!"));
  EXPECT_TRUE(line->opened.empty());

  profile.Set("Port", "COM7");
  line->openFails = true;
  EXPECT_EQ(RS232::Instance().OpenPort(), kClosed);
  EXPECT_TRUE(Logged("Port NOT opened ffffffff"));
  EXPECT_FALSE(RS232::Instance().PortOpened(false));
}

struct BaudCase {
  const char* value;
  int result;
  unsigned long applied;  // 0: nothing applied
};

void PrintTo(const BaudCase& c, std::ostream* os) { *os << "baud \"" << c.value << "\""; }

class RS232Baud : public SerialFixture, public ::testing::WithParamInterface<BaudCase> {};

TEST_P(RS232Baud, BaudrateValueIsAppliedOrRefused) {
  const BaudCase& c = GetParam();
  profile.Set("Baudrate", c.value);
  EXPECT_EQ(RS232::Instance().OpenPort(), c.result);
  if (c.applied != 0) {
    ASSERT_EQ(line->settings.size(), 1u);
    EXPECT_EQ(line->settings[0].baudRate, c.applied);
    EXPECT_TRUE(line->open);
  } else {
    // A refused rate never reaches the device, and the port is closed again.
    EXPECT_TRUE(line->settings.empty());
    EXPECT_FALSE(line->open);
    EXPECT_TRUE(Logged(std::string("BaudRate: ") + c.value + " is not a valid rate"));
    // The cause names the value, for the log's reader and the tool alike.
    EXPECT_EQ(RS232::Instance().LastPortError().fault, PortFault::kBadRateValue);
    EXPECT_TRUE(Logged(std::string("Cause: Baudrate \"") + c.value + "\" is not a decimal number"));
  }
}

INSTANTIATE_TEST_SUITE_P(Values, RS232Baud,
                         ::testing::Values(BaudCase{"9600", kSuccess, 9600}, BaudCase{"", kSuccess, 115200},
                                           BaudCase{"0", kFailure, 0}, BaudCase{"-9600", kFailure, 0},
                                           BaudCase{"96x0", kFailure, 0}, BaudCase{"9600 ", kFailure, 0},
                                           BaudCase{"99999999999", kFailure, 0}),
                         [](const ::testing::TestParamInfo<BaudCase>& p) { return "case" + std::to_string(p.index); });

TEST_F(RS232Port, RefusedLineSettingsLeaveThePortClosed) {
  line->lineSettingsFail = true;
  EXPECT_EQ(RS232::Instance().OpenPort(), kFailure);
  EXPECT_FALSE(line->open);
  EXPECT_EQ(line->closes, 1);
  // The reopen before a send must not pass a port whose settings were refused.
  EXPECT_EQ(RS232::Instance().SendPacket("\x02S01101\x03"
                                         "9C81"),
            kClosed);
  EXPECT_TRUE(Logged("Port reopen failed"));
  EXPECT_TRUE(line->writes.empty());
}

TEST_F(RS232Port, ClosingTwiceSucceedsAndSaysSo) {
  RS232& port = RS232::Instance();
  ASSERT_EQ(port.OpenPort(), kSuccess);
  EXPECT_EQ(port.ClosePort(), kSuccess);
  EXPECT_TRUE(Logged("Port closed"));
  EXPECT_FALSE(Logged("Port is closed"));
  EXPECT_EQ(port.ClosePort(), kSuccess);
  EXPECT_TRUE(Logged("Port is closed"));
  EXPECT_EQ(line->closes, 1);
}

TEST_F(RS232Port, SendReopensPurgesAndWritesUpToTheTerminator) {
  RS232& port = RS232::Instance();
  line->queue = "stale reply";  // unread bytes of an earlier exchange
  ASSERT_EQ(port.SendPacket("\x02S01101\x03"
                            "9C81"),
            kSuccess);
  EXPECT_TRUE(line->open);  // reopened by the send
  EXPECT_EQ(line->inputPurges, 1);
  EXPECT_EQ(line->outputPurges, 1);
  EXPECT_TRUE(line->queue.empty());
  ASSERT_EQ(line->writes.size(), 1u);
  EXPECT_EQ(line->writes[0], std::string("\x02S01101\x03"
                                         "9C81"));
  EXPECT_TRUE(Logged("Packet sent (12)"));
}

TEST_F(RS232Port, ShortWriteFails) {
  line->shortWriteBy = 2;
  EXPECT_EQ(RS232::Instance().SendPacket("\x02S01101\x03"
                                         "9C81"),
            kFailure);
  EXPECT_TRUE(Logged("Packet send failed [12-10]"));
}

TEST_F(RS232Port, WaitForInputPollsEveryTwentyMillisecondsOfTheTimeout) {
  RS232& port = RS232::Instance();
  ASSERT_EQ(port.OpenPort(), kSuccess);
  EXPECT_EQ(port.WaitForInput(0), 0u);
  EXPECT_EQ(line->polls, 0);
  EXPECT_EQ(port.WaitForInput(1), 0u);
  EXPECT_EQ(line->polls, 50);
  line->polls = 0;
  EXPECT_EQ(port.WaitForInput(4), 0u);
  EXPECT_EQ(line->polls, 200);

  line->polls = 0;
  line->Arrive("abc", 9);
  EXPECT_EQ(port.WaitForInput(1), 3u);
  EXPECT_EQ(line->polls, 10);
}

}  // namespace
}  // namespace kestrel::testing
