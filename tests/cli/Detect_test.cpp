// kestrel detect: the virtual printer found on its pseudo-terminal among
// decoys (a silent line, a line full of noise, a port another process
// holds), the held port left undisturbed, and the profile it writes working.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "cli/DetectCommand.h"
#include "cli/PrinterProbe.h"
#include "cli/StatusCommand.h"
#include "emulator/PtyServer.h"
#include "serial/SerialDevice.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

using Pty = testing::PseudoTerminal;

// Random bytes, all the time, frame bytes among them.
class NoisyPty : public Pty {
 public:
  NoisyPty() {
    thread_ = std::thread([this] {
      std::mt19937 random(7);
      char bytes[64];
      while (!stop_) {
        for (char& b : bytes) b = static_cast<char>(random() % 8 == 0 ? 0x02 + random() % 2 : random());
        (void)!::write(master_, bytes, sizeof bytes);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  ~NoisyPty() override {
    stop_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class Detect : public ::testing::Test {
 protected:
  void SetUp() override {
    emulator::ServerOptions options;
    options.link = profile_.Dir() + "/printer";
    printer_ = std::make_unique<emulator::PtyServer>(options);
    std::string error;
    ASSERT_EQ(printer_->Start(&error), 0) << error;
    // Another program's port, held as the driver holds one.
    holder_ = CreatePlatformSerialDevice();
    ASSERT_TRUE(holder_->Open(held_.Name().c_str()));
    options_.probe.replyWaitMs = 100;
    options_.probe.rates = {115200, 9600};
  }

  testing::TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> printer_;
  Pty silent_;
  NoisyPty noisy_;
  Pty held_;
  std::unique_ptr<SerialDevice> holder_;
  DetectOptions options_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(Detect, FindsThePrinterAmongDecoysAndLeavesTheHeldPortAlone) {
  const std::string link = profile_.Dir() + "/printer";
  options_.ports = {silent_.Name(), noisy_.Name(), held_.Name(), link};
  options_.writeProfile = profile_.Dir() + "/found.reg";
  options_.dataDirectory = profile_.DataDir();
  EXPECT_EQ(RunDetect(options_, out_, err_), 0) << out_.str() << err_.str();
  const std::string out = out_.str();
  EXPECT_NE(out.find(silent_.Name() + ": no answer at 115200, 9600 baud\n"), std::string::npos) << out;
  EXPECT_NE(out.find(noisy_.Name() + ": bytes came, but no printer's reply at any rate\n"), std::string::npos) << out;
  EXPECT_NE(out.find(held_.Name() + ": skipped: port busy, held by another process ("), std::string::npos) << out;
  EXPECT_NE(out.find(link + ": printer found at 115200 baud, firmware 2.5.23, serial number "), std::string::npos)
      << out;
  EXPECT_NE(out.find("Found 1 printer.\n"), std::string::npos) << out;
  // Nothing reached the held port, and its holder still has it.
  EXPECT_FALSE(held_.Heard());
  EXPECT_TRUE(holder_->IsOpen());
  EXPECT_TRUE(silent_.Heard());  // the silent one was asked

  // The profile written works as it is.
  ::setenv("KESTREL_REGISTRY", options_.writeProfile.c_str(), 1);
  std::ostringstream statusOut;
  std::ostringstream statusErr;
  EXPECT_EQ(RunStatus("FiscalPrinter", statusOut, statusErr), 0) << statusOut.str() << statusErr.str();
  EXPECT_NE(statusOut.str().find("Firmware:       2.5.23"), std::string::npos) << statusOut.str();
  EXPECT_EQ(statusErr.str(), "");
}

TEST_F(Detect, NothingFoundIsExitOneAndAnExistingProfileIsNeverReplaced) {
  options_.ports = {silent_.Name(), profile_.Dir() + "/ttyUSB9"};
  EXPECT_EQ(RunDetect(options_, out_, err_), 1);
  EXPECT_NE(out_.str().find("/ttyUSB9: cannot be used: no such device"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("No printer found on 2 ports."), std::string::npos) << out_.str();

  options_.ports = {profile_.Dir() + "/printer"};
  options_.writeProfile = profile_.ProfilePath();
  const std::string before = testing::ReadWholeFile(options_.writeProfile);
  EXPECT_EQ(RunDetect(options_, out_, err_), 2);
  EXPECT_EQ(testing::ReadWholeFile(options_.writeProfile), before);
  EXPECT_TRUE(printer_->Trace().empty());  // refused before any port was touched
}

TEST_F(Detect, ASequenceErrorIsAReplyToo) {
  printer_->Inject("seqerror 1");
  const ProbeResult r = ProbePort(profile_.Dir() + "/printer", options_.probe);
  EXPECT_EQ(r.verdict, ProbeVerdict::kFound);
  EXPECT_EQ(r.replyCode, 31);
  EXPECT_EQ(r.rate, 115200u);
  EXPECT_EQ(r.firmware, "2.5.23");
}

// The profile is profiles/serial-port.reg with the port and rate found.
TEST(DetectProfile, IsTheSerialPortTemplateWithPortRateAndDirectory) {
  const std::string original = testing::ReadWholeFile(std::string(KESTREL_SOURCE_DIR) + "/profiles/serial-port.reg");
  ASSERT_FALSE(original.empty());
  std::string expected = original;
  const auto replace = [&expected](const std::string& from, const std::string& to) {
    const std::size_t at = expected.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    expected.replace(at, from.size(), to);
  };
  // A backslash and a quote in the name are escaped as the .reg format wants.
  replace("\"Port\"=\"/dev/ttyUSB0\"", R"("Port"="/dev/tty\\\"odd\"")");
  replace("\"Baudrate\"=\"115200\"", "\"Baudrate\"=\"9600\"");
  replace("\"DataDirectory\"=\"/var/lib/kestrel\"", "\"DataDirectory\"=\"/srv/kestrel\"");
  EXPECT_EQ(ProfileFor("/dev/tty\\\"odd\"", 9600, "/srv/kestrel"), expected);
  EXPECT_NE(ProfileFor("/dev/ttyUSB0", 115200, "").find("\"DataDirectory\"=\"/var/lib/kestrel\""), std::string::npos);
}

TEST(DetectFrames, RequestsAndRepliesAsTheLineCarriesThem) {
  EXPECT_EQ(RequestFrame("S01", '1', {}), std::string("\x02S01101\x03") + "9C81");
  std::string body;
  std::string frame;
  const std::string reply = RequestFrame("S08", '4', {"2.5.23"});
  // Noise before, a frame cut short by a new start, the frame, noise after.
  EXPECT_TRUE(FindFrame("\x05\x03zz\x02S0" + reply + "\x02\x02", body, frame));
  EXPECT_EQ(frame, reply);
  EXPECT_EQ(body,
            "S08401\x1C"
            "2.5.23");
  EXPECT_FALSE(FindFrame(reply.substr(0, reply.size() - 1), body, frame));  // a CRC digit still to come
  std::string bad = reply;
  bad[bad.size() - 1] = bad[bad.size() - 1] == '0' ? '1' : '0';
  EXPECT_FALSE(FindFrame(bad, body, frame));
}

}  // namespace
}  // namespace kestrel::cli
