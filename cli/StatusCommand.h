#pragma once
// `kestrel status`: what a technician asks first — is the printer there,
// in which state, paper and cover, firmware, whether the day is open.
#include <iosfwd>
#include <string>

namespace kestrel::cli {

// 0 when the printer answered; 1 when it could not be reached.
int RunStatus(const std::string& deviceClass, std::ostream& out, std::ostream& err);

// Words for the State and PrinterState numbers ("idle", "fiscal receipt").
const char* StateName(int state);
const char* PrinterStateName(int printerState);

}  // namespace kestrel::cli
