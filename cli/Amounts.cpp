#include "cli/Amounts.h"

namespace kestrel::cli {

bool ParseDecimal(const std::string& text, int64_t max, int64_t& units) {
  int64_t whole = 0;
  int64_t fraction = 0;
  int decimals = 0;
  bool seenPoint = false;
  bool anyDigit = false;
  for (char c : text) {
    if (c == '.' || c == ',') {
      if (seenPoint) return false;
      seenPoint = true;
      continue;
    }
    if (c < '0' || c > '9') return false;
    anyDigit = true;
    if (seenPoint) {
      if (++decimals > 4) return false;
      fraction = fraction * 10 + (c - '0');
    } else {
      whole = whole * 10 + (c - '0');
      if (whole > max / kUnitsPerWhole + 1) return false;  // stops long inputs before they overflow
    }
  }
  if (!anyDigit) return false;
  for (int i = decimals; i < 4; ++i) fraction *= 10;
  const int64_t value = whole * kUnitsPerWhole + fraction;
  if (value > max) return false;
  units = value;
  return true;
}

std::string FormatUnits(int64_t units) {
  const bool negative = units < 0;
  // Both parts from the magnitude, taken without overflow for any amount we print.
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  const uint64_t whole = magnitude / kUnitsPerWhole;
  const uint64_t fraction = magnitude % kUnitsPerWhole;
  std::string digits = std::to_string(fraction);
  digits.insert(0, 4 - digits.size(), '0');
  if (digits.compare(2, 2, "00") == 0) digits.resize(2);
  return (negative ? "-" : "") + std::to_string(whole) + "." + digits;
}

bool MultiplyUnits(int64_t unitPrice, int64_t quantity, int64_t& price) {
  int64_t product = 0;
  if (__builtin_mul_overflow(unitPrice, quantity, &product)) return false;
  // Quotient and remainder, so that rounding cannot overflow.
  int64_t rounded = product / kUnitsPerWhole;
  const int64_t rest = product % kUnitsPerWhole;
  if (rest >= kUnitsPerWhole / 2) ++rounded;
  if (rest <= -kUnitsPerWhole / 2) --rounded;
  if (rounded > kMaxAmountUnits || rounded < -kMaxAmountUnits) return false;
  price = rounded;
  return true;
}

int64_t RoundToCents(int64_t units) {
  int64_t cents = units / 100;
  const int64_t rest = units % 100;
  if (rest >= 50) ++cents;
  if (rest <= -50) --cents;
  return cents * 100;
}

}  // namespace kestrel::cli
