// COM1 to COM32: a port exists when the system knows its device name.
#include <windows.h>

#include "cli/SerialPorts.h"

namespace kestrel::cli {

std::vector<std::string> PresentSerialPorts() {
  std::vector<std::string> ports;
  char target[512];
  for (int n = 1; n <= 32; ++n) {
    const std::string name = "COM" + std::to_string(n);
    if (::QueryDosDeviceA(name.c_str(), target, sizeof target) != 0) ports.push_back(name);
  }
  return ports;
}

std::string OpenName(const std::string& port) {
  // Ports above COM9 open only by their device path; the path works for all.
  if (port.size() > 3 && (port.compare(0, 3, "COM") == 0 || port.compare(0, 3, "com") == 0)) return "\\\\.\\" + port;
  return port;
}

std::string PlatformDataDirectory() { return "C:\\ProgramData\\Kestrel"; }

}  // namespace kestrel::cli
