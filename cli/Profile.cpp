#include "cli/Profile.h"

#include <ostream>

#include "cli/DataDirectoryCheck.h"
#include "config/ProfileStore.h"
#include "config/Settings.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {

bool CheckProfileFile(std::ostream& err) {
  std::string reason;
  switch (CheckProfile("", reason)) {
    case ProfileState::kMissing:
      err << "kestrel: warning: cannot read the profile " << ProfilePath() << ": " << reason
          << " (set KESTREL_REGISTRY or use --profile; see profiles/*.reg)" << std::endl;
      return true;
    case ProfileState::kUnusable:
      err << "kestrel: cannot use the profile " << ProfilePath() << ": " << reason << std::endl;
      return false;
    default:
      return true;
  }
}

bool CheckProfileKey(std::ostream& err) {
  std::string reason;
  if (CheckProfile(Settings::Instance().ProfileKeyPath(), reason) != ProfileState::kNoKey) return true;
  err << "kestrel: the profile " << ProfilePath() << " has " << reason << " for the device class \""
      << Tools::Cp1250ToUtf8(Settings::Instance().DeviceClass()) << "\"";
  if (!ProfileIsFile()) err << " (install the package, or read the other view with --registry-view 32 or 64)";
  err << std::endl;
  return false;
}

std::string ProfileValue(const char* name) { return Tools::Cp1250ToUtf8(ProfileRawValue(name)); }

std::string ProfileRawValue(const char* name) {
  // A data directory holds up to 300 characters; the other values are shorter.
  char buffer[302] = {};
  if (Settings::Instance().ReadValue(name, buffer, static_cast<int>(sizeof buffer) - 1) != kSuccess) return "";
  return buffer;
}

void WarnWithoutDataDirectory(std::ostream& err) { WarnAboutDataDirectory(err); }

}  // namespace kestrel::cli
