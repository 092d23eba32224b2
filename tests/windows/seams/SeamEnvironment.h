#pragma once
// What scripts/test-windows hands the seam tests: a scratch directory and
// the COM port that the virtual printer's pseudo-terminal is mapped to.
#include <cstdlib>
#include <string>

namespace kestrel::wintest {

inline std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
}

}  // namespace kestrel::wintest
