// Number texts: the decimal point of the current locale and the width of an
// integer part.
#include <clocale>
#include <cmath>
#include <cstring>

#include "tools/Tools.h"

namespace kestrel {
namespace {

// The locale's decimal point as one byte; a locale whose point is not a
// single byte cannot be swapped in place, so '.' stands in for it.
char LocaleDecimalPoint() {
  const std::lconv* conventions = std::localeconv();
  const char* point = conventions ? conventions->decimal_point : nullptr;
  if (!point || point[0] == '\0' || point[1] != '\0') return '.';
  return point[0];
}

}  // namespace

void Tools::SwapDecimalPoint(char* number, int direction) {
  if (!number) return;
  char point = LocaleDecimalPoint();
  char from = direction == 0 ? ',' : point;
  char to = direction == 0 ? point : ',';
  if (direction != 0 && direction != 1) return;
  if (char* found = std::strchr(number, from)) *found = to;
}

int Tools::IntegerDigits(double number) {
  if (!std::isfinite(number)) return 0;
  double magnitude = std::fabs(number);
  int digits = 0;
  if (magnitude >= 1.0) {
    // log10 may land a hair below an exact power of ten; the powers settle it.
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    if (std::pow(10.0, exponent) > magnitude) --exponent;
    if (std::pow(10.0, exponent + 1) <= magnitude) ++exponent;
    digits = exponent + 1;
  }
  return number < 0 ? digits + 1 : digits;
}

}  // namespace kestrel
