#include "cli/Profile.h"

#include <ostream>

#include "service/Settings.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {

std::string ProfileValue(const char* name) {
  // A data directory holds up to 300 characters; the other values are shorter.
  char buffer[302] = {};
  if (Settings::Instance().ReadValue(name, buffer, static_cast<int>(sizeof buffer) - 1) != kSuccess) return "";
  return Tools::Cp1250ToUtf8(buffer);
}

void WarnWithoutDataDirectory(std::ostream& err) {
  if (!ProfileValue("DataDirectory").empty()) return;
  err << "kestrel: warning: the profile " << ProfilePath()
      << " names no DataDirectory: the service keeps no log and writes no journal files" << std::endl;
}

}  // namespace kestrel::cli
