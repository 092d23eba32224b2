#include "cli/Profile.h"

#include <cstdlib>
#include <fstream>
#include <ostream>

#include "service/Settings.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {

std::string ProfilePath() {
  const char* path = std::getenv("KESTREL_REGISTRY");
  return (path != nullptr && *path != '\0') ? path : "/etc/kestrel/registry.reg";
}

bool UseProfile(const std::string& path) { return ::setenv("KESTREL_REGISTRY", path.c_str(), 1) == 0; }

bool WarnWithoutProfile(std::ostream& err) {
  std::ifstream file(ProfilePath(), std::ios::binary);
  if (file) return true;
  err << "kestrel: warning: cannot read the profile " << ProfilePath()
      << " (set KESTREL_REGISTRY or use --profile; see profiles/*.reg)" << std::endl;
  return false;
}

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
