// The present local time, read through the clock seam.
#include <time.h>

#include "tools/Clock.h"
#include "tools/Tools.h"

namespace kestrel {

std::tm Tools::GetLocalTime() {
  std::time_t now = clock::Now();
  std::tm local{};
  if (::localtime_s(&local, &now) != 0) local = std::tm{};
  return local;
}

}  // namespace kestrel
