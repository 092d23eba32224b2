#pragma once
// The receipt tests' fixture: the service on the virtual printer, set up
// through the profile values the receipt methods depend on.
#include <memory>
#include <string>
#include <vector>

#include "emulator/PtyServer.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/support/ServiceOnPrinter.h"

namespace kestrel::testing {

using Exchange = TracedRequest;

// Settings written to the profile before the service opens.
struct ServiceSetup {
  bool v7Protocol = false;
  bool singleCashReceipt = true;
  bool checkStateDisabled = false;
  bool displayItemDisabled = false;
  std::string firmware = "2.5.23";
};

class ReceiptTest : public ServiceOnPrinterTest {
 protected:
  // The virtual printer as the receipt tests speak of it.
  class VirtualPrinter {
   public:
    explicit VirtualPrinter(ReceiptTest& test) : test_(test) {}
    std::string Fault(const std::string& line) { return test_.Inject(line); }
    std::string Paper() const { return test_.server_->Paper(); }
    std::vector<std::string> DisplayRows() {
      return test_.WithPrinter([](emulator::Printer& printer) { return printer.DisplayRows(); });
    }
    template <class F>
    auto WithCore(F f) {
      return test_.WithPrinter(f);
    }
    std::vector<std::string> TraceLines() const { return test_.TraceLines(); }
    std::vector<Exchange> Records() const { return test_.Traffic(); }
    void ForgetRecords() { test_.Forget(); }

   private:
    ReceiptTest& test_;
  };

  ReceiptTest() : ServiceOnPrinterTest("KESTREL_RECEIPT_TRACE"), printer_(std::make_unique<VirtualPrinter>(*this)) {}
  void SetUp() override { Start(ServiceSetup{}); }

  // Starts the printer and opens, claims and enables the service.
  void Start(const ServiceSetup& setup) {
    profile_.Set("V7Protocol", setup.v7Protocol ? "1" : "0");
    profile_.Set("SingleCashReceipt", setup.singleCashReceipt ? "1" : "0");
    profile_.Set("CheckStateDisabled", setup.checkStateDisabled ? "1" : "0");
    profile_.Set("DisplayItemDisabled", setup.displayItemDisabled ? "1" : "0");
    emulator::ServerOptions options;
    options.printer.firmware = setup.firmware;
    StartOn(options);
  }

  void SetReceiptType(int32_t type) { ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kFiscalReceiptType, type), 0); }
  int32_t PrinterState() { return Number(opos::pidx::kPrinterState); }
  int32_t ResultCodeExtended() { return Number(opos::pidx::kResultCodeExtended); }

  // A sales receipt opened and one item sold, 1.00 EUR at VAT 1.
  void OpenReceiptWithItem() {
    int32_t r = -1;
    fp_.BeginFiscalReceipt(true, &r);
    ASSERT_EQ(r, 0);
    fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
    ASSERT_EQ(r, 0);
  }

  std::unique_ptr<VirtualPrinter> printer_;
};

}  // namespace kestrel::testing
