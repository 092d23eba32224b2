#pragma once
// One cell of the fault matrix: a fresh data directory, a fresh virtual
// printer on a pty and fresh process-wide objects, with the service opened,
// claimed and enabled. Sleeps of the test thread are counted at their
// nominal length (the protocol's simulated waiting). The 20 ms steps of a
// reply wait really take a tenth, so the printer thread still has time to
// answer on a loaded machine; the one-second steps of long-operation
// polling a hundredth, so 360 protocol seconds pass in under four.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "emulator/PtyServer.h"
#include "journal/Journal.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/support/JournalMode.h"
#include "tests/support/ServiceSession.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"
#include "tests/support/TrafficCapture.h"
#include "tools/Clock.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::testing {

// Nominal milliseconds slept by the thread that runs the cell.
class SimulatedTime {
 public:
  static void Install() {
    Owner() = std::this_thread::get_id();
    clock::SetSleepHook(&Sleep);
  }
  static void Reset() { Slept().store(0); }
  static double Seconds() { return static_cast<double>(Slept().load()) / 1000.0; }

 private:
  static void Sleep(int milliseconds) {
    if (milliseconds <= 0) return;
    if (std::this_thread::get_id() == Owner()) Slept().fetch_add(milliseconds);
    const int divisor = milliseconds >= 1000 ? 100 : 10;
    std::this_thread::sleep_for(std::chrono::microseconds(milliseconds * 1000 / divisor));
  }
  static std::thread::id& Owner() {
    static std::thread::id owner;
    return owner;
  }
  static std::atomic<long long>& Slept() {
    static std::atomic<long long> slept{0};
    return slept;
  }
};

class MatrixCell {
 public:
  // printerSetUp: control lines the printer takes before it serves (how it
  // numbers, whether it echoes).
  explicit MatrixCell(const std::vector<std::string>& printerSetUp = {}) {
    SimulatedTime::Install();
    SingletonReset::All();  // no firmware, state, sequence or paths of another cell
    const std::string link = profile_.Dir() + "/tty";
    profile_.Set("Port", link);
    emulator::ServerOptions options;
    options.link = link;
    UseJournalModeOfTheRun(options.printer);
    options.commands = printerSetUp;
    server_ = std::make_unique<emulator::PtyServer>(options);
    std::string why;
    started_ = server_->Start(&why) == 0;
    EXPECT_TRUE(started_) << why;
    if (!started_) return;
    std::string step;
    EXPECT_EQ(OpenClaimEnable(fp_, &step), 0) << step;
  }
  ~MatrixCell() {
    int32_t r = 0;
    fp_.ReleaseDevice(&r);
    fp_.CloseService(&r);
    server_->Stop();
    CaptureTraffic(profile_.DataDir(), server_->Trace());
  }
  MatrixCell(const MatrixCell&) = delete;
  MatrixCell& operator=(const MatrixCell&) = delete;

  bool Started() const { return started_; }
  FiscalPrinter& Fp() { return fp_; }
  std::string Inject(const std::string& line) { return server_->Inject(line); }
  // Runs f on the printer's core under the server's lock.
  template <class F>
  auto WithPrinter(F f) {
    return server_->WithDevice([&f](emulator::Device& device) { return f(device.Core()); });
  }

  int32_t Number(int32_t index) {
    int32_t value = 0;
    fp_.GetPropertyNumber(index, &value);
    return value;
  }
  std::string ErrorString() {
    std::string text;
    fp_.GetPropertyString(opos::pidx::kErrorString, &text);
    return text;
  }
  // The state digit the printer's S01 reports (field 3).
  int PrinterStateDigit() {
    return server_->WithDevice([](emulator::Device& device) { return device.Core().StateDigit(); });
  }
  bool PrinterReceiptOpen() {
    return server_->WithDevice([](emulator::Device& device) { return device.Core().ReceiptOpen(); });
  }
  // Requests of one command the printer has seen, answered or not.
  int Requests(const std::string& code) {
    int count = 0;
    for (const std::string& line : server_->Trace()) {
      if (line.compare(0, code.size() + 1, code + "\t") == 0) ++count;
    }
    return count;
  }
  // Requests of one command the printer carried out (answered, and not from
  // memory as a repeat).
  int CarriedOut(const std::string& code) {
    int count = 0;
    for (const std::string& line : server_->Trace()) {
      if (line.compare(0, code.size() + 1, code + "\t") != 0) continue;
      const std::size_t note = line.rfind('\t');
      const bool repeat = line.compare(note + 1, 6, "repeat") == 0;
      if (!repeat && line.find("\t--\t") == std::string::npos) ++count;
    }
    return count;
  }
  // The printer's whole journal of one kind (1 text, 2 binary).
  std::string PrinterJournal(int kind) {
    return server_->WithDevice([kind](emulator::Device& device) {
      std::string data;
      for (const auto& block : device.Core().Journal().Blocks()) {
        if (block.kind == kind) data += block.data;
      }
      return data;
    });
  }
  std::string Target(const std::string& name) const { return profile_.Dir() + "/" + name; }
  bool TmpExists(JournalFile file) { return Tools::FileExists(Journal::Instance().PathOf(file)); }
  std::vector<std::string> Trace() const { return server_->Trace(); }

 private:
  TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> server_;
  FiscalPrinter fp_;
  bool started_ = false;
};

}  // namespace kestrel::testing
