#pragma once
// The serial ports of this machine, for `kestrel detect`. The platform half
// is SerialPorts_posix.cpp (/dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*) and
// SerialPorts_win32.cpp (COM1 to COM32).
#include <string>
#include <vector>

namespace kestrel::cli {

// The ports present, in natural order (ttyS2 before ttyS10). On-board ports
// without a UART behind them are left out.
std::vector<std::string> PresentSerialPorts();

// The name to open for a port as the user writes it ("COM12" opens as
// "\\.\COM12" on Windows; elsewhere the name itself).
std::string OpenName(const std::string& port);

// The DataDirectory a profile written on this platform starts with; empty
// keeps the one of the profile template.
std::string PlatformDataDirectory();

}  // namespace kestrel::cli
