#include <windows.h>

#include <cstdlib>

#include "cli/serve/CrashPoint.h"

namespace kestrel::serve {

void KillThisProcess() {
  TerminateProcess(GetCurrentProcess(), 137);
  std::_Exit(137);  // not reached
}

}  // namespace kestrel::serve
