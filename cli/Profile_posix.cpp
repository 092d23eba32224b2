// The profile is a .reg file: KESTREL_REGISTRY names it, --profile sets that.
#include <cstdlib>
#include <fstream>
#include <ostream>

#include "cli/Profile.h"
#include "service/ProfileStore.h"

namespace kestrel::cli {

std::string ProfilePath() {
  const char* path = std::getenv("KESTREL_REGISTRY");
  return (path != nullptr && *path != '\0') ? path : "/etc/kestrel/registry.reg";
}

const char* ProfileDescription() {
  return "The profile (.reg) is the one KESTREL_REGISTRY names, else /etc/kestrel/registry.reg.";
}

bool ProfileIsFile() { return true; }

bool UseProfile(const std::string& path) { return ::setenv("KESTREL_REGISTRY", path.c_str(), 1) == 0; }

bool UseRegistryView(int bits) { return SelectProfileView(bits); }

bool WarnWithoutProfile(std::ostream& err) {
  std::ifstream file(ProfilePath(), std::ios::binary);
  if (file) return true;
  err << "kestrel: warning: cannot read the profile " << ProfilePath()
      << " (set KESTREL_REGISTRY or use --profile; see profiles/*.reg)" << std::endl;
  return false;
}

}  // namespace kestrel::cli
