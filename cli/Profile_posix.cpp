// The profile is a .reg file: KESTREL_REGISTRY names it, --profile sets that.
#include <cstdlib>
#include <ostream>

#include "cli/Profile.h"
#include "config/ProfileStore.h"

namespace kestrel::cli {

std::string ProfilePath() { return ProfileLocation(); }

const char* ProfileDescription() {
  return "The profile (.reg) is the one KESTREL_REGISTRY names, else /etc/kestrel/registry.reg.";
}

bool ProfileIsFile() { return true; }

bool UseProfile(const std::string& path) { return ::setenv("KESTREL_REGISTRY", path.c_str(), 1) == 0; }

bool UseRegistryView(int bits) { return SelectProfileView(bits); }

}  // namespace kestrel::cli
