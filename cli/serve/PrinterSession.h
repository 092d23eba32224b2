#pragma once
// The printer as the server keeps it: opened, claimed and enabled at start
// and kept so; enabled again when it answers after having been silent or off;
// disabled, released and closed at the end. Calls go through FiscalPrinter
// exactly as a point-of-sale application makes them.
#include <cstdint>
#include <string>

#include "service/EventSink.h"
#include "service/FiscalPrinter.h"

namespace kestrel::serve {

// A call's result as the service reported it.
struct CallOutcome {
  int32_t code = 0;        // what the method returned
  int32_t resultCode = 0;  // ResultCode
  int32_t extended = 0;    // ResultCodeExtended
  std::string text;        // ErrorString, UTF-8
};

class PrinterSession : public EventSink {
 public:
  explicit PrinterSession(std::string deviceClass) : deviceClass_(std::move(deviceClass)) {}
  ~PrinterSession() override { Stop(); }
  PrinterSession(const PrinterSession&) = delete;
  PrinterSession& operator=(const PrinterSession&) = delete;

  // Opens and claims the device and tries to enable it. False, with a reason,
  // only when the device cannot be claimed (no port, port missing): a printer
  // that is merely silent is enabled later.
  bool Start(std::string& error);
  void Stop();

  // The device enabled and the printer answering. A device not yet enabled
  // is enabled; after a call found the printer silent it is asked first and,
  // once it answers, enabled afresh. False with a reason when it does not answer.
  bool EnsureOnline(std::string& why);
  // Tells the session what a call returned: a time-out marks the printer silent.
  void Note(int32_t code);
  bool Enabled() const { return enabled_; }

  FiscalPrinter& Printer() { return printer_; }
  // The result properties after a call that returned code.
  CallOutcome Outcome(int32_t code);
  int32_t Number(int32_t index);
  // GetData as UTF-8; false when the call failed.
  bool Data(int32_t item, std::string& value);

  void SOStatusUpdate(int) override {}

 private:
  bool Enable(std::string& why);

  std::string deviceClass_;
  FiscalPrinter printer_;
  bool opened_ = false;
  bool enabled_ = false;
  bool silent_ = false;
};

}  // namespace kestrel::serve
