#include "tests/support/BuiltPrograms.h"

#include <unistd.h>

#include <climits>

namespace kestrel::testing {
namespace {

std::string ProgramFolder() {
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    const std::string path(self, static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) return path.substr(0, slash);
  }
  return KESTREL_BIN_DIR;  // where this build configured its programs
}

}  // namespace

std::string BuiltProgram(const std::string& name) { return ProgramFolder() + "/" + name; }

}  // namespace kestrel::testing
