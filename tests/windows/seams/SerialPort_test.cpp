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

TEST(WindowsSerialPort, AMissingPortDoesNotOpenAndSaysWhy) {
  auto device = kestrel::CreatePlatformSerialDevice();
  EXPECT_FALSE(device->Open("COM9"));
  EXPECT_FALSE(device->IsOpen());
  EXPECT_EQ(0xFFFFFFFFul, device->HandleValue());
  const kestrel::PortError error = device->LastError();
  EXPECT_EQ(kestrel::PortFault::kNoDevice, error.fault) << kestrel::DescribePortError(error);
  EXPECT_EQ(static_cast<long>(ERROR_FILE_NOT_FOUND), error.systemCode);
  // FormatMessageA's text, without the full stop and line end it carries.
  EXPECT_EQ(kestrel::SystemErrorText(ERROR_FILE_NOT_FOUND), error.systemText);
  EXPECT_FALSE(error.systemText.empty());
  EXPECT_NE('\n', error.systemText.back());
  EXPECT_NE('.', error.systemText.back());
  EXPECT_EQ("COM9", error.subject);
}

TEST(WindowsSerialPort, AFileIsNoSerialDevice) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string path = kestrel::wintest::EnvOr("KESTREL_TEST_DIR", temp) + "\\not-a-port.txt";
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  ::CloseHandle(file);
  auto device = kestrel::CreatePlatformSerialDevice();
  ASSERT_TRUE(device->Open(path.c_str()));
  kestrel::LineSettings line;
  line.baudRate = 115200;
  line.byteSize = 8;
  EXPECT_FALSE(device->SetLineSettings(line));
  const kestrel::PortError error = device->LastError();
  EXPECT_EQ(kestrel::PortFault::kNotSerial, error.fault) << kestrel::DescribePortError(error);
  EXPECT_FALSE(error.systemText.empty());
  device->Close();
  ::DeleteFileA(path.c_str());
}

struct WindowsCause {
  DWORD code;
  bool opening;
  kestrel::PortFault fault;
};

// What each GetLastError value means for a technician: a COM port that
// another program has open answers "access denied" to CreateFileA.
TEST(WindowsSerialPort, SystemErrorsMapOntoCauses) {
  const WindowsCause cases[] = {
      {ERROR_FILE_NOT_FOUND, true, kestrel::PortFault::kNoDevice},
      {ERROR_PATH_NOT_FOUND, true, kestrel::PortFault::kNoDevice},
      {ERROR_ACCESS_DENIED, true, kestrel::PortFault::kHeld},
      {ERROR_SHARING_VIOLATION, true, kestrel::PortFault::kHeld},
      {ERROR_INVALID_PARAMETER, false, kestrel::PortFault::kRateRefused},
      {ERROR_INVALID_FUNCTION, false, kestrel::PortFault::kNotSerial},
      {ERROR_INVALID_HANDLE, false, kestrel::PortFault::kNotSerial},
      {ERROR_GEN_FAILURE, true, kestrel::PortFault::kOther},
  };
  for (const WindowsCause& c : cases) {
    EXPECT_EQ(c.fault, kestrel::ClassifySystemError(static_cast<long>(c.code), c.opening)) << c.code;
  }
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
