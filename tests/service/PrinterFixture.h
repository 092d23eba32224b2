// The service against the virtual printer on a pseudo-terminal, with sleeps
// cut short and the calendar pinned to Friday 17 May 2024, 10:20:30.
#pragma once
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "emulator/PtyServer.h"
#include "tests/service/ServiceFixture.h"
#include "tests/support/TrafficCapture.h"

namespace kestrel::testing {

class PrinterTest : public ServiceTest {
 protected:
  void SetUp() override {
    UseFastSleep(10);
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 4;
    t.tm_mday = 17;
    t.tm_hour = 10;
    t.tm_min = 20;
    t.tm_sec = 30;
    t.tm_isdst = -1;
    PinClock(std::mktime(&t));
    emulator::ServerOptions options;
    options.link = profile_.Dir() + "/printer";
    options.printer.firmware = "2.5.23";
    options.commands = commands_;
    printer_ = std::make_unique<emulator::PtyServer>(options);
    std::string error;
    ASSERT_EQ(printer_->Start(&error), 0) << error;
    profile_.Set("Port", options.link);
  }
  void TearDown() override {
    fp_.ReleaseDevice(nullptr);
    fp_.CloseService(nullptr);
    if (printer_) printer_->Stop();
    if (printer_) CaptureTraffic(profile_.DataDir(), printer_->Trace());
  }

  // Opens, claims and enables; events are let through unless asked not to.
  void Enable(bool deliverEvents = true) {
    int32_t result = -1;
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(fp_.ClaimDevice(0, &result), 0);
    ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1), 0);
    if (deliverEvents) fp_.COFreezeEvents(false, nullptr);
  }

  void Inject(const std::string& line) { ASSERT_EQ(printer_->Inject(line), "ok") << line; }

  // The command codes the printer received, in order.
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (const std::string& line : printer_->Trace()) codes.push_back(line.substr(0, 3));
    return codes;
  }
  std::vector<std::string> Display() {
    return printer_->WithDevice([](emulator::Device& d) { return d.Core().DisplayRows(); });
  }

  std::vector<std::string> commands_;  // printer conditions set before serving
  std::unique_ptr<emulator::PtyServer> printer_;
};

}  // namespace kestrel::testing
