// Serial devices under /dev: on-board ports (ttyS), USB adapters (ttyUSB)
// and modem-class USB devices (ttyACM).
#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <fstream>

#include "cli/SerialPorts.h"

namespace kestrel::cli {
namespace {

const char* const kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};

// ttyS nodes exist for every possible on-board port; the kernel reports the
// UART type 0 for those with no hardware behind them.
bool HasNoUart(const std::string& name) {
  if (name.rfind("ttyS", 0) != 0) return false;
  std::ifstream type("/sys/class/tty/" + name + "/type");
  int value = -1;
  return (type >> value) && value == 0;
}

// "ttyUSB10" after "ttyUSB9": the family, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
  const auto split = [](const std::string& s) {
    std::size_t digits = s.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
    const long number = digits < s.size() ? std::stol(s.substr(digits)) : -1;
    return std::make_pair(s.substr(0, digits), number);
  };
  return split(a) < split(b);
}

}  // namespace

std::vector<std::string> PresentSerialPorts() {
  std::vector<std::string> names;
  DIR* dev = ::opendir("/dev");
  if (dev == nullptr) return names;
  while (const dirent* entry = ::readdir(dev)) {
    const std::string name = entry->d_name;
    for (const char* family : kFamilies) {
      const std::string prefix = family;
      if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
          std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                      [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }) &&
          !HasNoUart(name)) {
        names.push_back(name);
      }
    }
  }
  ::closedir(dev);
  std::sort(names.begin(), names.end(), NaturalLess);
  for (std::string& name : names) name = "/dev/" + name;
  return names;
}

std::string OpenName(const std::string& port) { return port; }

std::string PlatformDataDirectory() { return ""; }

}  // namespace kestrel::cli
