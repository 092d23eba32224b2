#pragma once
// The service's configuration: string values of one registry key,
// HKEY_LOCAL_MACHINE\SOFTWARE\OLEforRetail\ServiceOPOS\<device class>\ZB_Tarnel.COM.
// On Windows that is the registry itself; natively a .reg file stands in for
// it (config/ProfileStore.h).
#include <string>

#include "tools/Singleton.h"

namespace kestrel {

class Settings : public ProcessSingleton<Settings> {
 public:
  // The first device class of the process stays in force: 0 and no change when
  // one is recorded; 111 for a null text; else records at most 30 characters.
  int SetDeviceClass(const char* deviceClass);
  const std::string& DeviceClass() const { return deviceClass_; }
  // "SOFTWARE\OLEforRetail\ServiceOPOS\<class>\ZB_Tarnel.COM" (at most 199 characters).
  std::string ProfileKeyPath() const;
  // Zeroes size bytes of buffer and reads the value as windows-1250 text.
  // 0 when delivered; 111 when the key or the value is missing or the value
  // with its terminator does not fit into size bytes.
  int ReadValue(const char* name, char* buffer, int size);

 private:
  friend class ProcessSingleton<Settings>;
  Settings() = default;
  std::string deviceClass_;
};

}  // namespace kestrel
