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
// Warns on err when the profile file cannot be read; false then.
bool WarnWithoutProfile(std::ostream& err);
// After OpenService (which fixes the device class): warns when the profile
// names no DataDirectory, since the service then keeps no log and cannot
// write its journal files.
void WarnWithoutDataDirectory(std::ostream& err);
// A profile value as UTF-8, empty when absent (after OpenService).
std::string ProfileValue(const char* name);

}  // namespace kestrel::cli
