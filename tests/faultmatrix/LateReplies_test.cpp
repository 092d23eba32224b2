// Whole calls against a printer whose replies come late: a refusal is
// reported as a refusal, a killed process's reply never answers the next
// process, and a whole sale still succeeds with each command carried out
// once, whether the printer numbers strictly or not and echoes the command
// code or not. Time is simulated as in the fault matrix: a reply wait of t
// seconds takes about t x 100 ms.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "serial/RS232.h"
#include "tests/faultmatrix/MatrixCell.h"

namespace kestrel::testing {
namespace {

class LateReplies : public ::testing::Test {
 protected:
  void Start(const std::vector<std::string>& printerSetUp = {}) {
    SimulatedTime::Install();
    SingletonReset::All();
    const std::string link = profile_.Dir() + "/tty";
    profile_.Set("Port", link);
    emulator::ServerOptions options;
    options.link = link;
    options.commands = printerSetUp;
    server_ = std::make_unique<emulator::PtyServer>(options);
    std::string why;
    ASSERT_EQ(server_->Start(&why), 0) << why;
    std::string step;
    ASSERT_EQ(OpenClaimEnable(fp_, &step), 0) << step;
  }
  void TearDown() override {
    int32_t r = 0;
    fp_.ReleaseDevice(&r);
    fp_.CloseService(&r);
    if (server_) server_->Stop();
    if (server_) CaptureTraffic(profile_.DataDir(), server_->Trace());
  }

  void Inject(const std::string& line) { ASSERT_EQ(server_->Inject(line), "ok") << line; }
  std::string Paper() const { return server_->Paper(); }
  bool ReceiptOpen() {
    return server_->WithDevice([](emulator::Device& device) { return device.Core().ReceiptOpen(); });
  }
  std::string ErrorString(FiscalPrinter& fp) {
    std::string text;
    fp.GetPropertyString(opos::pidx::kErrorString, &text);
    return text;
  }
  // Requests of the command the printer carried out (not answers from
  // memory to a repeat).
  int CarriedOut(const std::string& code) {
    int count = 0;
    for (const std::string& line : server_->Trace()) {
      if (line.compare(0, code.size() + 1, code + "\t") != 0) continue;
      const std::size_t note = line.rfind('\t');
      if (line.compare(note + 1, 6, "repeat") != 0 && line.find("\t--\t") == std::string::npos) ++count;
    }
    return count;
  }

  TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> server_;
  FiscalPrinter fp_;
};

int32_t Begin(FiscalPrinter& fp) {
  int32_t r = -1;
  fp.BeginFiscalReceipt(true, &r);
  return r;
}
int32_t Item(FiscalPrinter& fp, const char* name) {
  int32_t r = -1;
  fp.PrintRecItem(name, 15000, 10000, 1, 15000, "", &r);
  return r;
}

TEST_F(LateReplies, ASlowPrintersRefusalOfAnItemIsReported) {
  Start();
  // Every command, and every answer from memory, takes the printer longer
  // than a one-second wait; the item is refused.
  Inject("think 150");
  Inject("slowrepeat 150");
  Inject("reply P03 44");
  ASSERT_EQ(Begin(fp_), kSuccess);
  EXPECT_EQ(Item(fp_, "Chlieb"), kIllegal);
  EXPECT_EQ(ErrorString(fp_), "Hodnota mimo rozsah");
  EXPECT_EQ(Paper().find("Chlieb"), std::string::npos);
  // The refused item cancels the receipt: the printer has none open.
  EXPECT_FALSE(ReceiptOpen());
}

struct PrinterMode {
  const char* name;
  std::vector<std::string> setUp;
};
void PrintTo(const PrinterMode& m, std::ostream* os) { *os << m.name; }

class LateRepliesEveryPrinter : public LateReplies, public ::testing::WithParamInterface<PrinterMode> {};

// The first process sends a payment and dies before the answer: its port
// closes and nothing of it survives but the printer.
void SendPaymentAndDie() {
  Messaging& first = Messaging::Instance();
  first.CreatePacketOut("P09", 1);
  first.AddPacketOutField("1");
  first.AddPacketOutField("1.5000");
  first.ClosePacketOut();
  ASSERT_EQ(first.SendPacket(), kSuccess);
  RS232::Instance().ClosePort();
  SingletonReset::All();
}

TEST_P(LateRepliesEveryPrinter, AKilledProcessesReplyNeverAnswersTheNextProcess) {
  Start(GetParam().setUp);
  ASSERT_EQ(Begin(fp_), kSuccess);
  ASSERT_EQ(Item(fp_, "Chlieb"), kSuccess);
  // The printer takes 0.3 s for each command, well within its time-outs.
  // The first process sends its payment and is killed while the printer
  // still works on it; the answer comes once the next process has the port.
  Inject("think 30");
  ASSERT_NO_FATAL_FAILURE(SendPaymentAndDie());

  FiscalPrinter second;
  std::string step;
  ASSERT_EQ(OpenClaimEnable(second, &step), 0) << step;
  // The first customer's receipt is still open at the printer: the second
  // customer's receipt cannot start, and the item does not land on it.
  EXPECT_EQ(Begin(second), kWrongState);
  EXPECT_NE(Item(second, "Mlieko"), kSuccess);
  EXPECT_EQ(Paper().find("Mlieko"), std::string::npos);
  int32_t r = 0;
  second.ReleaseDevice(&r);
  second.CloseService(&r);
}

// A printer slower than a one-second time-out answers the killed process
// only after the next process has listened and sent its first request; the
// reply's command code gives it away. (A printer that does not echo the
// code leaves nothing to tell such a reply by.)
class SlowPrinterKilledProcess : public LateReplies, public ::testing::WithParamInterface<PrinterMode> {};

TEST_P(SlowPrinterKilledProcess, ItsLateReplyNeverAnswersTheNextProcess) {
  Start(GetParam().setUp);
  ASSERT_EQ(Begin(fp_), kSuccess);
  ASSERT_EQ(Item(fp_, "Chlieb"), kSuccess);
  Inject("think 150");
  ASSERT_NO_FATAL_FAILURE(SendPaymentAndDie());

  // A strict printer this slow may not even let the second process enable
  // (its resynchronising answers come too late too); either way no receipt
  // starts and no item lands.
  FiscalPrinter second;
  OpenClaimEnable(second);
  EXPECT_NE(Begin(second), kSuccess);
  EXPECT_NE(Item(second, "Mlieko"), kSuccess);
  EXPECT_EQ(Paper().find("Mlieko"), std::string::npos);
  int32_t r = 0;
  second.ReleaseDevice(&r);
  second.CloseService(&r);
}

INSTANTIATE_TEST_SUITE_P(EchoingPrinters, SlowPrinterKilledProcess,
                         ::testing::Values(PrinterMode{"lenient_echoing", {}},
                                           PrinterMode{"strict_echoing", {"strict on"}}),
                         [](const ::testing::TestParamInfo<PrinterMode>& p) { return std::string(p.param.name); });

TEST_P(LateRepliesEveryPrinter, AWholeSaleSucceedsWithEachCommandCarriedOutOnce) {
  Start(GetParam().setUp);
  // Each command's reply comes half-way through the host's second attempt
  // (one-second commands after 150 ms, four-second ones after 600 ms, the
  // close after 750 ms), and the answers to the repeats come a little later,
  // while the host waits for its next command.
  for (const char* line :
       {"slowrepeat 30", "late 150 1 S09", "late 150 1 S01", "late 600 1 P02", "late 600 2 P03", "late 600 1 P08",
        "late 600 1 P09", "late 600 1 P10", "late 600 1 P11", "late 750 1 P12", "late 150 1 S04"}) {
    Inject(line);
  }
  int32_t r = -1;
  EXPECT_EQ(Begin(fp_), kSuccess);
  EXPECT_EQ(Item(fp_, "Chlieb"), kSuccess);
  EXPECT_EQ(Item(fp_, "Mlieko"), kSuccess);
  fp_.PrintRecTotal(30000, 50000, "1", &r);
  EXPECT_EQ(r, kSuccess) << ErrorString(fp_);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(r, kSuccess) << ErrorString(fp_);
  EXPECT_FALSE(ReceiptOpen());
  for (const char* code : {"P02", "P09", "P10", "P11", "P12"}) EXPECT_EQ(CarriedOut(code), 1) << code;
  EXPECT_EQ(CarriedOut("P03"), 2);
  const std::string paper = Paper();
  for (const char* item : {"Chlieb", "Mlieko"}) {
    const std::size_t at = paper.find(item);
    ASSERT_NE(at, std::string::npos) << item;
    EXPECT_EQ(paper.find(item, at + 1), std::string::npos) << item << " printed twice";
  }
}

INSTANTIATE_TEST_SUITE_P(Printers, LateRepliesEveryPrinter,
                         ::testing::Values(PrinterMode{"lenient_echoing", {}},
                                           PrinterMode{"lenient_not_echoing", {"echo off"}},
                                           PrinterMode{"strict_echoing", {"strict on"}},
                                           PrinterMode{"strict_not_echoing", {"strict on", "echo off"}}),
                         [](const ::testing::TestParamInfo<PrinterMode>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kestrel::testing
