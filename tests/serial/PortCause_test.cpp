// The causes the serial seam reports when a port cannot be used, on the real
// POSIX device: missing, denied, held by another process, not a serial
// device, a rate the line lacks. (The tool's tests see them in the log.)
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "serial/PortError.h"
#include "serial/SerialDevice.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TestProfile.h"

namespace kestrel::testing {
namespace {

using Pty = PseudoTerminal;

LineSettings Line8N1(unsigned long rate) {
  LineSettings settings;
  settings.baudRate = rate;
  settings.byteSize = 8;
  return settings;
}

struct CauseCase {
  const char* what;
  // Makes the port in dir and returns its name; may keep things alive in hold.
  std::function<std::string(const std::string& dir, std::shared_ptr<void>& hold)> make;
  bool opens;  // Open succeeds; the cause shows when the line is set up
  unsigned long rate;
  PortFault fault;
  int errorNumber;
};

void PrintTo(const CauseCase& c, std::ostream* os) { *os << c.what; }

class SerialPortCause : public ::testing::TestWithParam<CauseCase> {
 protected:
  TestProfile profile_;
};

TEST_P(SerialPortCause, TheDeviceNamesTheCauseWithTheSystemsWords) {
  const CauseCase& c = GetParam();
  std::shared_ptr<void> hold;
  const std::string name = c.make(profile_.Dir(), hold);
  auto device = CreatePlatformSerialDevice();
  ASSERT_EQ(device->Open(name.c_str()), c.opens) << name;
  if (c.opens) {
    EXPECT_FALSE(device->SetLineSettings(Line8N1(c.rate)));
  }
  const PortError error = device->LastError();
  EXPECT_EQ(error.fault, c.fault) << DescribePortError(error);
  EXPECT_EQ(error.systemCode, c.errorNumber) << DescribePortError(error);
  EXPECT_EQ(error.systemText, SystemErrorText(c.errorNumber));
  EXPECT_FALSE(error.systemText.empty());
}

std::string MakeFile(const std::string& dir, const char* name) {
  const std::string path = dir + "/" + name;
  WriteWholeFile(path, "not a port");
  return path;
}

INSTANTIATE_TEST_SUITE_P(
    Posix, SerialPortCause,
    ::testing::Values(CauseCase{"missing",
                                [](const std::string& dir, std::shared_ptr<void>&) { return dir + "/ttyUSB9"; }, false,
                                0, PortFault::kNoDevice, ENOENT},
                      CauseCase{"directory", [](const std::string& dir, std::shared_ptr<void>&) { return dir; }, false,
                                0, PortFault::kNotSerial, EISDIR},
                      CauseCase{"plain file",
                                [](const std::string& dir, std::shared_ptr<void>&) { return MakeFile(dir, "file"); },
                                true, 115200, PortFault::kNotSerial, ENOTTY},
                      CauseCase{"fifo",
                                [](const std::string& dir, std::shared_ptr<void>&) {
                                  const std::string path = dir + "/fifo";
                                  ::mkfifo(path.c_str(), 0600);
                                  return path;
                                },
                                true, 115200, PortFault::kNotSerial, ENOTTY},
                      CauseCase{"odd rate",
                                [](const std::string&, std::shared_ptr<void>& hold) {
                                  auto pty = std::make_shared<Pty>();
                                  hold = pty;
                                  return pty->Name();
                                },
                                true, 12345, PortFault::kRateRefused, EINVAL},
                      CauseCase{"held",
                                [](const std::string&, std::shared_ptr<void>& hold) {
                                  // Another user of the port, holding it as the driver does.
                                  struct Held {
                                    Pty pty;
                                    std::unique_ptr<SerialDevice> holder = CreatePlatformSerialDevice();
                                  };
                                  auto held = std::make_shared<Held>();
                                  held->holder->Open(held->pty.Name().c_str());
                                  hold = held;
                                  return held->pty.Name();
                                },
                                // Root passes the exclusive-open flag and meets the lock.
                                false, 0, PortFault::kHeld, ::geteuid() == 0 ? EWOULDBLOCK : EBUSY}),
    [](const ::testing::TestParamInfo<CauseCase>& p) {
      std::string name = p.param.what;
      for (char& ch : name) ch = ch == ' ' ? '_' : ch;
      return name;
    });

// Permission is checked by a user who lacks it: root has every right, so a
// child gives its up first.
TEST(PortCauseDenied, APortTheUserMayNotOpenIsDenied) {
  TestProfile profile;
  const std::string path = profile.Dir() + "/ttyS9";
  WriteWholeFile(path, "");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_EQ(::chmod(profile.Dir().c_str(), 0755), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && ::setuid(65534) != 0) ::_exit(90);
    auto device = CreatePlatformSerialDevice();
    if (device->Open(path.c_str())) ::_exit(91);
    const PortError error = device->LastError();
    ::_exit(error.fault == PortFault::kAccessDenied && error.systemCode == EACCES ? 0 : 92);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "90 cannot drop root, 91 opened, 92 another cause";
}

TEST(PortCauseText, OneLineNamesThePortTheFaultAndTheSystemsWords) {
  EXPECT_EQ(DescribePortError(MakePortError(ENOENT, true, "/dev/ttyUSB3")),
            "/dev/ttyUSB3: no such device (No such file or directory, error 2)");
  EXPECT_EQ(DescribePortError(MakePortError(EINVAL, false, "12345")),
            "the line cannot run at Baudrate 12345 (Invalid argument, error 22)");
  // EINVAL from open() is no rate problem.
  EXPECT_EQ(ClassifySystemError(EINVAL, true), PortFault::kOther);
}

}  // namespace
}  // namespace kestrel::testing
