// A profile, a FiscalPrinter, a sink that records the status events it is
// given, and a peer that reaches the steps the interface methods share.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/Messaging.h"
#include "service/EventSink.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tests/support/TestProfile.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {

struct FiscalPrinterTestPeer {
  explicit FiscalPrinterTestPeer(FiscalPrinter& printer) : fp(printer) {}
  FiscalPrinter& fp;

  int32_t SetError(int32_t code, int32_t* result, const char* text, bool display) {
    return fp.SetError(code, result, text, display);
  }
  void CheckRecStatus(int32_t code, int32_t station) { fp.CheckRecStatus(code, station); }
  bool CheckDevice() { return fp.CheckDevice(); }
  bool CheckPrinterState(int32_t expected) { return fp.CheckPrinterState(expected); }
  bool CheckCurrencyValue(int64_t amount) { return fp.CheckCurrencyValue(amount); }
  bool CheckHeaderLineID(int32_t line) { return fp.CheckHeaderLineID(line); }
  bool CheckVatID(int32_t vatId) { return fp.CheckVatID(vatId); }
  // Puts the device where a test needs it without a printer.
  void SetDeviceFlags(bool opened, bool claimed, bool enabled) {
    fp.opened_ = opened;
    fp.claimed_ = claimed;
    fp.deviceEnabled_ = enabled;
  }
  bool DisplayItemDisabled() const { return fp.displayItemDisabled_; }
  bool CheckStateDisabled() const { return fp.checkStateDisabled_; }
  bool SingleCashReceipt() const { return fp.singleCashReceipt_; }
  bool V7Protocol() const { return fp.v7Protocol_; }
  int32_t ReceiptStatus() const { return fp.receiptStatus_; }
  int32_t SlipStatus() const { return fp.slipStatus_; }
  void SetCurrentStation(int32_t station) { fp.currentStation_ = station; }
  bool HasReceiptId() const { return fp.receiptId_.has_value(); }
  const char* ReceiptId() const { return fp.ReceiptId(); }
  void StoreReceiptId(const char* text) { fp.StoreReceiptId(text); }
  bool HasPendingVatTable() const { return fp.pendingVatTable_.has_value(); }
  void SetPendingVatTable(const std::string& table) { fp.pendingVatTable_ = table; }
};

namespace testing {

// Records every status event; a test may hang an application handler on it.
class RecordingSink : public EventSink {
 public:
  void SOStatusUpdate(int status) override {
    events.push_back(status);
    if (handler) handler(status);
  }
  std::vector<int> events;
  std::function<void(int)> handler;
};

class ServiceTest : public ::testing::Test {
 protected:
  FiscalPrinterTestPeer peer() { return FiscalPrinterTestPeer(fp_); }

  int32_t Number(int32_t index) {
    int32_t value = -12345;
    fp_.GetPropertyNumber(index, &value);
    return value;
  }
  std::string String(int32_t index) {
    std::string value = "unset";
    fp_.GetPropertyString(index, &value);
    return value;
  }
  std::string ErrorString() { return String(opos::pidx::kErrorString); }

  int32_t Open() {
    int32_t result = -1;
    fp_.OpenService("FiscalPrinter", "Kestrel", &sink_, &result);
    return result;
  }

  // Every log file of the data directory, joined (a test spans one day, or
  // two around midnight).
  std::string LogText() const {
    std::vector<std::string> names;
    Tools::ListDirectory(profile_.DataDir(), names);
    std::string text;
    for (const std::string& name : names) {
      if (name.rfind("kstr_log_", 0) == 0) text += ReadWholeFile(profile_.DataFile(name));
    }
    return text;
  }

  TestProfile profile_;
  RecordingSink sink_;
  FiscalPrinter fp_;
};

}  // namespace testing
}  // namespace kestrel
