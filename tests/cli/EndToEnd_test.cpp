// The tool against the virtual printer on a pseudo-terminal: the sample
// script prints its receipt, events come before the call that caused them,
// and the convenience commands do what they say.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/SaleCommand.h"
#include "cli/ScriptRunner.h"
#include "cli/StatusCommand.h"
#include "emulator/PtyServer.h"
#include "tests/support/PrinterOnProfile.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

class ToolOnPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFastSleep(10);
    SingletonReset::All();
    testing::ServePrinterOnProfile(profile_, printer_);
  }

  int Run(const std::string& script, bool keepGoing = false) {
    ScriptRunner runner(out_, err_, keepGoing);
    return runner.RunText(script);
  }

  static std::string SampleScript() {
    return testing::ReadWholeFile(std::string(KESTREL_SOURCE_DIR) + "/cli/examples/sale.txt");
  }

  static constexpr const char* kOpen = "OpenService FiscalPrinter Kestrel\nClaimDevice 0\nSetPropertyNumber 3 1\n";

  testing::TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> printer_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(ToolOnPrinter, SampleScriptPrintsTheReceipt) {
  const std::string script = SampleScript();
  ASSERT_FALSE(script.empty());
  EXPECT_EQ(Run(script), kExitOk) << out_.str() << err_.str();
  EXPECT_EQ(out_.str(),
            "OpenService: 0\nClaimDevice: 0\nSetPropertyNumber: 0\nSetPropertyNumber: 0\n"
            "BeginFiscalReceipt: 0\nPrintRecItem: 0\nPrintRecItem: 0\nPrintRecItem: 0\nPrintRecItem: 0\n"
            "PrintRecItemAdjustment: 0\nPrintRecSubtotal: 0\nPrintRecMessage: 0\nPrintRecTotal: 0\n"
            "EndFiscalReceipt: 0\nSetPropertyNumber: 0\nReleaseDevice: 0\nCloseService: 0\n");
  const std::string paper = printer_->Paper();
  // Texts reached the printer in windows-1250 and come back intact.
  EXPECT_NE(paper.find("Rožok grahamový"), std::string::npos) << paper;
  EXPECT_NE(paper.find("Čokoláda horká 70 %"), std::string::npos) << paper;
  EXPECT_NE(paper.find("Ďakujeme za nákup!"), std::string::npos) << paper;
  EXPECT_NE(paper.find("7.41"), std::string::npos) << paper;
  EXPECT_NE(paper.find("2.59"), std::string::npos) << paper;  // the change
}

TEST_F(ToolOnPrinter, EventIsPrintedBeforeTheCallThatCausedIt) {
  ASSERT_EQ(printer_->Inject("cover open"), "ok");
  EXPECT_EQ(Run(std::string(kOpen) + "SetPropertyNumber 4 0\nGetPropertyNumber 16005\n"), kExitOk) << err_.str();
  EXPECT_EQ(out_.str(),
            "OpenService: 0\nClaimDevice: 0\nSetPropertyNumber: 0\nSetPropertyNumber: 0\n"
            "event: 11\nGetPropertyNumber: 1\n");
}

TEST_F(ToolOnPrinter, ExtendedFailureShowsCodeAndTextAndStops) {
  EXPECT_EQ(Run(std::string(kOpen) + "PrintRecTotal 10000 10000 \"1\"\nCloseService\n"), kExitCallFailed);
  EXPECT_NE(out_.str().find("\nPrintRecTotal: 114 (207) \"Neplatný stav\"\n"), std::string::npos) << out_.str();
  EXPECT_EQ(out_.str().find("CloseService"), std::string::npos);
}

TEST_F(ToolOnPrinter, StatusDescribesThePrinter) {
  ASSERT_EQ(printer_->Inject("paper near"), "ok");
  EXPECT_EQ(RunStatus("FiscalPrinter", out_, err_), 0) << err_.str();
  const std::string text = out_.str();
  EXPECT_NE(text.find("State:          idle (2)"), std::string::npos) << text;
  EXPECT_NE(text.find("Printer state:  monitor, no document open (1)"), std::string::npos) << text;
  EXPECT_NE(text.find("Cover:          closed"), std::string::npos) << text;
  EXPECT_NE(text.find("Receipt paper:  near its end"), std::string::npos) << text;
}

TEST_F(ToolOnPrinter, StatusNamesAPrinterThatDoesNotAnswer) {
  ASSERT_EQ(printer_->Inject("off"), "ok");
  EXPECT_EQ(RunStatus("FiscalPrinter", out_, err_), 1);
  EXPECT_NE(err_.str().find("does not answer"), std::string::npos) << err_.str();
  EXPECT_NE(out_.str().find("Printer:        not reachable"), std::string::npos) << out_.str();
}

TEST_F(ToolOnPrinter, SalePrintsAReceiptWithChange) {
  SaleOptions sale;
  sale.items = {"Rožok", "0.15x4", "2", "Káva", "1.20", "1"};
  sale.pay = "5";
  EXPECT_EQ(RunSale(sale, out_, err_), 0) << err_.str();
  EXPECT_NE(out_.str().find("Change"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("3.20"), std::string::npos) << out_.str();
  const std::string paper = printer_->Paper();
  EXPECT_NE(paper.find("Rožok"), std::string::npos) << paper;
  EXPECT_NE(paper.find("Káva"), std::string::npos) << paper;
  EXPECT_NE(paper.find("1.80"), std::string::npos) << paper;
}

TEST_F(ToolOnPrinter, SaleCancelsTheReceiptWhenAnItemIsRefused) {
  ASSERT_EQ(printer_->Inject("reply P03 44"), "ok");
  SaleOptions sale;
  sale.items = {"Rožok", "0.15", "1"};
  EXPECT_EQ(RunSale(sale, out_, err_), 1);
  EXPECT_NE(err_.str().find("the item \"Rožok\" failed"), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("the receipt was cancelled"), std::string::npos) << err_.str();
  EXPECT_FALSE(printer_->WithDevice([](emulator::Device& device) { return device.Core().ReceiptOpen(); }));
}

TEST_F(ToolOnPrinter, SaleWithAShortPaymentSendsNothing) {
  SaleOptions sale;
  sale.items = {"Rožok", "0.15x4", "1"};
  sale.pay = "0.50";
  EXPECT_EQ(RunSale(sale, out_, err_), 2);
  EXPECT_NE(err_.str().find("the payment 0.50 does not cover the total 0.60"), std::string::npos) << err_.str();
  EXPECT_TRUE(printer_->Trace().empty());
}

}  // namespace
}  // namespace kestrel::cli
