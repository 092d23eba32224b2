#pragma once
// Where the tool finds its profile and what it tells the user about it. On
// Windows the profile is the device's registry key; elsewhere the service
// reads the .reg file that KESTREL_REGISTRY names, else
// /etc/kestrel/registry.reg. The tool follows the same rule
// (Profile_posix.cpp, Profile_win32.cpp).
#include <iosfwd>
#include <string>

namespace kestrel::cli {

// The profile file, or on Windows the key and its registry view.
std::string ProfilePath();
// One line for --help: where the profile comes from.
const char* ProfileDescription();
// True where the profile is a file that --profile may name.
bool ProfileIsFile();
// Points KESTREL_REGISTRY at path (the --profile option); false on failure.
bool UseProfile(const std::string& path);
// Windows: read the profile from the 32-bit or 64-bit registry view (the
// --registry-view option); false where there is no registry.
bool UseRegistryView(int bits);
// Before OpenService. A profile that exists but cannot be read (a FIFO, a
// directory, no permission) is refused with its reason: false. A missing
// one only earns a warning, since a script may not need it.
bool CheckProfileFile(std::ostream& err);
// After OpenService (which fixes the device class): false, with the key it
// looked for, when the profile holds no key for the device class.
bool CheckProfileKey(std::ostream& err);
// After OpenService: warns when DataDirectory is missing, too long, not a
// writable directory or full (cli/DataDirectoryCheck.h).
void WarnWithoutDataDirectory(std::ostream& err);
// A profile value as UTF-8, empty when absent (after OpenService).
std::string ProfileValue(const char* name);
// The same as the service reads it, in its code page: the form a file name
// must keep to name what the service names (cli/FileNames.h).
std::string ProfileRawValue(const char* name);

}  // namespace kestrel::cli
