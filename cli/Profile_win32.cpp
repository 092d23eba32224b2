// The profile is the device's registry key below HKEY_LOCAL_MACHINE, in the
// registry view of this program's word size (the one the DLL of the same
// package reads) unless --registry-view chooses the other.
#include <ostream>

#include "cli/Profile.h"
#include "config/ProfileStore.h"
#include "config/Settings.h"

namespace kestrel::cli {
namespace {

// Before OpenService has fixed the device class, the usual one.
std::string KeyPath() {
  const std::string& deviceClass = Settings::Instance().DeviceClass();
  return "SOFTWARE\\OLEforRetail\\ServiceOPOS\\" + (deviceClass.empty() ? std::string("FiscalPrinter") : deviceClass) +
         "\\ZB_Tarnel.COM";
}

}  // namespace

std::string ProfilePath() {
  return "HKLM\\" + KeyPath() + " (" + std::to_string(ProfileViewBits()) + "-bit registry view)";
}

const char* ProfileDescription() {
  return "The profile is the registry key HKLM\\SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\ZB_Tarnel.COM.";
}

bool ProfileIsFile() { return false; }

bool UseProfile(const std::string&) { return false; }

bool UseRegistryView(int bits) { return SelectProfileView(bits); }

}  // namespace kestrel::cli
