#pragma once
// `kestrel detect [PORT...]`: finds the printer on the serial ports (by
// default every one present) and prints each printer found with its port,
// rate, firmware and serial number. A port another process holds is skipped
// untouched. With writeProfile, the first printer found gets a profile:
// profiles/serial-port.reg with its Port and Baudrate.
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/PrinterProbe.h"

namespace kestrel::cli {

struct DetectOptions {
  std::vector<std::string> ports;  // empty: the ports present
  std::string writeProfile;        // a .reg file to write; never over a file
  std::string dataDirectory;       // DataDirectory of that profile; empty: the template's
  ProbeOptions probe;
};

// The profile for a printer: the template with Port, Baudrate and (when
// not empty) DataDirectory set.
std::string ProfileFor(const std::string& port, unsigned long rate, const std::string& dataDirectory);

// 0 when at least one printer was found; 1 when none; 2 when the options
// cannot be used (the profile file exists), before any port is touched.
int RunDetect(const DetectOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kestrel::cli
