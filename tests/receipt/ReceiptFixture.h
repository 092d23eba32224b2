#pragma once
// A FiscalPrinter opened, claimed and enabled against the virtual printer on
// a pseudo-terminal; the printer's trace gives the exact traffic to assert on. Sleeps run fast; nothing waits for real seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Device.h"
#include "emulator/PtyServer.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/ServiceSession.h"
#include "tests/support/TestProfile.h"
#include "tools/Tools.h"

namespace kestrel::testing {

// One exchange as the virtual printer traced it, fields back in windows-1250.
struct Exchange {
  std::string code;
  std::vector<std::string> fields;
  int replyCode = -1;  // -1: no answer
};

// Splits one trace line ("P03<TAB>seq<TAB>type<TAB>f1|f2<TAB>code<TAB>...").
inline Exchange ParseTraceLine(const std::string& line) {
  std::vector<std::string> columns;
  std::size_t from = 0;
  for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
    columns.push_back(line.substr(from, tab - from));
  }
  columns.push_back(line.substr(from));
  Exchange exchange;
  if (columns.size() < 5) return exchange;
  exchange.code = columns[0];
  const std::string fields = Tools::Utf8ToCp1250(columns[3]);
  if (!fields.empty()) {
    std::string field;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (fields[i] == '|') {
        exchange.fields.push_back(field);
        field.clear();
      } else if (fields[i] == '\\' && i + 3 < fields.size() && fields[i + 1] == 'x') {
        field += static_cast<char>(std::stoi(fields.substr(i + 2, 2), nullptr, 16));
        i += 3;
      } else {
        field += fields[i];
      }
    }
    exchange.fields.push_back(field);
  }
  exchange.replyCode = columns[4] == "--" ? -1 : std::atoi(columns[4].c_str());
  return exchange;
}

// The virtual printer on a pty, and the exchanges since the last Forget.
class VirtualPrinter {
 public:
  VirtualPrinter(const std::string& link, const std::string& firmware) : server_(Options(link, firmware)) {
    started_ = server_.Start() == 0;
  }
  bool Serving() const { return started_; }
  std::string Fault(const std::string& line) { return server_.Inject(line); }
  std::string Paper() const { return server_.Paper(); }
  std::vector<std::string> DisplayRows() {
    return server_.WithDevice([](emulator::Device& device) { return device.Core().DisplayRows(); });
  }
  // Runs f on the printer's core under the server's lock.
  template <class F>
  auto WithCore(F f) {
    return server_.WithDevice([&f](emulator::Device& device) { return f(device.Core()); });
  }
  std::vector<std::string> TraceLines() const {
    const std::vector<std::string> all = server_.Trace();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(seen_, all.size())), all.end());
  }
  std::vector<Exchange> Records() const {
    std::vector<Exchange> records;
    for (const std::string& line : TraceLines()) records.push_back(ParseTraceLine(line));
    return records;
  }
  void ForgetRecords() { seen_ = server_.Trace().size(); }

 private:
  static emulator::ServerOptions Options(const std::string& link, const std::string& firmware) {
    emulator::ServerOptions options;
    options.link = link;
    options.printer.firmware = firmware;
    return options;
  }
  emulator::PtyServer server_;
  bool started_ = false;
  std::size_t seen_ = 0;
};

// Settings written to the profile before the service opens.
struct ServiceSetup {
  bool v7Protocol = false;
  bool singleCashReceipt = true;
  bool checkStateDisabled = false;
  bool displayItemDisabled = false;
  std::string firmware = "2.5.23";
};

class ReceiptTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(ServiceSetup{}); }
  void TearDown() override {
    // KESTREL_RECEIPT_TRACE=1 prints the traffic of a test, for diagnosis.
    if (std::getenv("KESTREL_RECEIPT_TRACE") != nullptr) {
      for (const std::string& line : printer_->TraceLines()) std::printf("%s\n", line.c_str());
    }
    int32_t r = 0;
    fp_.ReleaseDevice(&r);
    fp_.CloseService(&r);
  }

  // Starts the printer and opens, claims and enables the service.
  void Start(const ServiceSetup& setup) {
    UseFastSleep(10);
    // A fresh process-wide state: no firmware version, printer state or
    // sequence number carried over from an earlier test in this process.
    SingletonReset::All();
    printer_.reset();
    const std::string link = profile_.Dir() + "/tty";
    profile_.Set("Port", link);
    profile_.Set("V7Protocol", setup.v7Protocol ? "1" : "0");
    profile_.Set("SingleCashReceipt", setup.singleCashReceipt ? "1" : "0");
    profile_.Set("CheckStateDisabled", setup.checkStateDisabled ? "1" : "0");
    profile_.Set("DisplayItemDisabled", setup.displayItemDisabled ? "1" : "0");
    printer_ = std::make_unique<VirtualPrinter>(link, setup.firmware);
    ASSERT_TRUE(printer_->Serving());
    std::string step;
    ASSERT_EQ(OpenClaimEnable(fp_, &step), 0) << step;
    printer_->ForgetRecords();
  }

  void SetReceiptType(int32_t type) {
    ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kFiscalReceiptType, type), 0);
  }
  int32_t PrinterState() {
    int32_t state = 0;
    fp_.GetPropertyNumber(opos::pidx::kPrinterState, &state);
    return state;
  }
  std::string ErrorString() {
    std::string text;
    fp_.GetPropertyString(opos::pidx::kErrorString, &text);
    return text;
  }
  int32_t ResultCodeExtended() {
    int32_t code = 0;
    fp_.GetPropertyNumber(opos::pidx::kResultCodeExtended, &code);
    return code;
  }

  // The request codes since the last ForgetRecords, in order.
  std::vector<std::string> Codes() {
    std::vector<std::string> codes;
    for (const auto& record : printer_->Records()) codes.push_back(record.code);
    return codes;
  }
  // The fields of the last request with this code (empty when none was sent).
  std::vector<std::string> LastFields(const std::string& code) {
    std::vector<std::string> fields;
    for (const auto& record : printer_->Records()) {
      if (record.code == code) fields = record.fields;
    }
    return fields;
  }
  int Count(const std::string& code) {
    int n = 0;
    for (const auto& record : printer_->Records()) n += record.code == code ? 1 : 0;
    return n;
  }

  // A sales receipt opened and one item sold, 1.00 EUR at VAT 1.
  void OpenReceiptWithItem() {
    int32_t r = -1;
    fp_.BeginFiscalReceipt(true, &r);
    ASSERT_EQ(r, 0);
    fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
    ASSERT_EQ(r, 0);
  }

  TestProfile profile_;
  std::unique_ptr<VirtualPrinter> printer_;
  FiscalPrinter fp_;
};

}  // namespace kestrel::testing
