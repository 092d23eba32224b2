#include "config/Settings.h"

#include <cstring>

#include "config/ProfileStore.h"
#include "tools/Results.h"

namespace kestrel {
namespace {
constexpr std::size_t kDeviceClassLength = 30;
}  // namespace

int Settings::SetDeviceClass(const char* deviceClass) {
  if (!deviceClass_.empty()) return kSuccess;  // the first open of the process chose the key
  if (deviceClass == nullptr) return kFailure;
  std::size_t length = 0;
  while (length < kDeviceClassLength && deviceClass[length] != '\0') ++length;
  deviceClass_.assign(deviceClass, length);
  return kSuccess;
}

std::string Settings::ProfileKeyPath() const {
  return "SOFTWARE\\OLEforRetail\\ServiceOPOS\\" + deviceClass_ + "\\ZB_Tarnel.COM";
}

int Settings::ReadValue(const char* name, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return kFailure;
  std::memset(buffer, 0, static_cast<std::size_t>(size));
  if (name == nullptr) return kFailure;
  return ReadProfileValue(ProfileKeyPath(), name, buffer, static_cast<std::size_t>(size));
}

}  // namespace kestrel
