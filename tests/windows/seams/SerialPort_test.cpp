// The Win32 serial device on the COM port that scripts/test-windows maps to
// the virtual printer's pseudo-terminal (KESTREL_TEST_PORT). Nothing is sent:
// the printer on the other end must not see stray bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "SeamEnvironment.h"
#include "serial/SerialDevice.h"

namespace {

std::string TestPort() { return kestrel::wintest::EnvOr("KESTREL_TEST_PORT", ""); }

TEST(WindowsSerialPort, AMissingPortDoesNotOpen) {
  auto device = kestrel::CreatePlatformSerialDevice();
  EXPECT_FALSE(device->Open("COM9"));
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(0xFFFFFFFFul, device->HandleValue());
}

TEST(WindowsSerialPort, OpensConfiguresAndCloses) {
  std::string port = TestPort();
  if (port.empty()) GTEST_SKIP() << "KESTREL_TEST_PORT is not set";
  auto device = kestrel::CreatePlatformSerialDevice();
  ASSERT_TRUE(device->Open(port.c_str())) << port;
  EXPECT_NE(0xFFFFFFFFul, device->HandleValue());

  // A Windows serial driver refuses a second opening; Wine's pseudo-terminal
  // port does not, so that part is not asserted here.

  EXPECT_TRUE(device->SetQueueSizes(4096, 4096));
  kestrel::LineSettings line;
  line.baudRate = 115200;
  line.byteSize = 8;
  EXPECT_TRUE(device->SetLineSettings(line));
  kestrel::LineTimeouts timeouts;
  timeouts.readInterval = MAXDWORD;  // reads return at once with what is queued
  timeouts.writeTotalConstant = 1000;
  EXPECT_TRUE(device->SetTimeouts(timeouts));
  EXPECT_TRUE(device->PurgeInput());
  EXPECT_TRUE(device->PurgeOutput());
  EXPECT_EQ(0u, device->QueuedInput());
  char byte = 0;
  EXPECT_EQ(0u, device->Read(&byte, 1));

  device->Close();
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(0xFFFFFFFFul, device->HandleValue());
  auto again = kestrel::CreatePlatformSerialDevice();
  EXPECT_TRUE(again->Open(port.c_str())) << "the port opens again after Close";
}

}  // namespace
