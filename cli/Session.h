#pragma once
// The service opened, claimed and enabled for one convenience command
// (`kestrel status`, `kestrel sale`), with messages a person understands when
// a step fails. Stop (or the destructor) disables, releases and closes.
#include <cstdint>
#include <iosfwd>
#include <string>

#include "service/EventSink.h"
#include "service/FiscalPrinter.h"

namespace kestrel::cli {

// Status update events in words, on the error stream.
class DescribingSink : public EventSink {
 public:
  explicit DescribingSink(std::ostream& err) : err_(err) {}
  void SOStatusUpdate(int status) override;

 private:
  std::ostream& err_;
};

// The words for a status update value ("receipt paper out"); empty if unknown.
const char* EventName(int status);

class Session {
 public:
  explicit Session(std::ostream& err);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // False, with the reason on err, when the printer cannot be reached.
  bool Start(const std::string& deviceClass);
  void Stop();

  FiscalPrinter& Printer() { return printer_; }
  int32_t Number(int32_t index);
  std::string Text(int32_t index);  // UTF-8
  // The outcome of the last call: "0", or "114 (207) Neplatný stav".
  std::string LastResult();
  // When code is not 0: "kestrel: <what> failed: <LastResult>" on err. True on failure.
  bool Failed(int32_t code, const std::string& what);

 private:
  std::ostream& err_;
  DescribingSink sink_;
  FiscalPrinter printer_;
  bool opened_ = false;
};

}  // namespace kestrel::cli
