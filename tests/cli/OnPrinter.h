#pragma once
// The tool's commands against the virtual printer on a pseudo-terminal,
// with a scratch profile that points at it.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "emulator/PtyServer.h"
#include "tests/support/PrinterOnProfile.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {

class OnVirtualPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFastSleep(10);
    testing::ServePrinterOnProfile(profile_, printer_);
  }

  // Runs f on the printer's core under the server's lock.
  template <typename F>
  auto Core(F f) {
    return printer_->WithDevice([&](emulator::Device& device) { return f(device.Core()); });
  }
  void ClearStreams() {
    out_.str("");
    err_.str("");
  }

  testing::TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> printer_;
  std::ostringstream out_;
  std::ostringstream err_;
};

}  // namespace kestrel::cli
