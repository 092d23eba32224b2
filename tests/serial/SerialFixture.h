#pragma once
// Common ground for the serial and protocol tests: a scratch profile with a
// "Port", the log writing into the scratch data directory, sleeps that
// return at once, and a fake line in place of the serial device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/Settings.h"
#include "log/Log.h"
#include "serial/RS232.h"
#include "tests/serial/FakeSerialDevice.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"
#include "tools/Tools.h"

namespace kestrel::testing {

// STX, body, ETX and the CRC digits over STX..ETX.
inline std::string Framed(const std::string& body) {
  std::string frame = "\x02" + body + "\x03";
  return frame + Tools::Crc16Hex(frame.data(), frame.size(), 0xFFFF);
}

// A reply frame: code, sequence digit, two-digit reply code, FS fields.
inline std::string ReplyFrame(const std::string& code, char sequence, int reply,
                              const std::vector<std::string>& fields = {}) {
  char digits[3] = {static_cast<char>('0' + reply / 10 % 10), static_cast<char>('0' + reply % 10), '\0'};
  std::string body = code + sequence + digits;
  for (const std::string& f : fields) body += "\x1C" + f;
  return Framed(body);
}

class SerialFixture : public ::testing::Test {
 protected:
  // A port, sequence or reply left by the test before must not leak in when
  // the whole program runs in one process; done before a derived fixture
  // takes its references to the process-wide objects.
  SerialFixture() { SingletonReset::All(); }

  void SetUp() override {
    UseFastSleep(0);
    line = InstallFakeLine();
    profile.Set("Port", "COM7");
    Settings::Instance().SetDeviceClass("FiscalPrinter");
    Log::Instance().LoadSettings();
  }
  void TearDown() override {
    RS232::SetDeviceFactoryForTests(nullptr);
    SingletonReset::All();  // the fake device goes with its RS232
  }

  // Every log line written so far, in order.
  std::string LogText() const {
    std::vector<std::string> names;
    Tools::ListDirectory(profile.DataDir(), names);
    std::string all;
    for (const std::string& n : names) {
      if (n.rfind("kstr_log_", 0) == 0) all += ReadWholeFile(profile.DataFile(n));
    }
    return all;
  }
  bool Logged(const std::string& text) const { return LogText().find(text) != std::string::npos; }

  TestProfile profile;
  std::shared_ptr<FakeLine> line;
};

}  // namespace kestrel::testing
