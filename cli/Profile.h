#pragma once
// Where the tool finds its profile and what it tells the user about it. The
// service reads the .reg file that KESTREL_REGISTRY names, else
// /etc/kestrel/registry.reg; the tool follows the same rule.
#include <iosfwd>
#include <string>

namespace kestrel::cli {

std::string ProfilePath();
// Points KESTREL_REGISTRY at path (the --profile option); false on failure.
bool UseProfile(const std::string& path);
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

}  // namespace kestrel::cli
