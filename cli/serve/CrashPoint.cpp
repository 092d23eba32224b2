#include "cli/serve/CrashPoint.h"

#include <cstdlib>
#include <cstring>

namespace kestrel::serve {

void CrashPoint(const char* step) {
  static const char* const target = std::getenv("KESTREL_SERVE_CRASH_AT");
  if (target != nullptr && std::strcmp(target, step) == 0) KillThisProcess();
}

}  // namespace kestrel::serve
