#include "emulator/Money.h"

#include <cstdio>
#include <cstdlib>

namespace kestrel::emulator {

bool ParseUnits(const std::string& text, Units& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  Units whole = 0;
  int wholeDigits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (++wholeDigits > 12) return false;
    whole = whole * 10 + (text[i] - '0');
    ++i;
  }
  Units fraction = 0;
  int fractionDigits = 0;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      if (++fractionDigits > 4) return false;
      fraction = fraction * 10 + (text[i] - '0');
      ++i;
    }
  }
  if (i != text.size() || wholeDigits + fractionDigits == 0) return false;
  for (int k = fractionDigits; k < 4; ++k) fraction *= 10;
  Units value = whole * 10000 + fraction;
  out = negative ? -value : value;
  return true;
}

Cents UnitsToCents(Units units) {
  Units magnitude = units < 0 ? -units : units;
  Cents cents = (magnitude + 50) / 100;
  return units < 0 ? -cents : cents;
}

bool LineCents(Units quantity, Units unitPrice, Cents& out) {
  // Both are bounded by the caller's checks to keep the product in 64 bits:
  // quantity ≤ 99 999.9999 pieces and unit price ≤ 999 999.9999 give < 1e19.
  std::uint64_t q = static_cast<std::uint64_t>(quantity < 0 ? -quantity : quantity);
  std::uint64_t p = static_cast<std::uint64_t>(unitPrice < 0 ? -unitPrice : unitPrice);
  if (q > 999999999ULL || p > 9999999999ULL) return false;
  std::uint64_t product = q * p;  // in 1e-8
  std::uint64_t cents = (product + 500000ULL) / 1000000ULL;
  bool negative = (quantity < 0) != (unitPrice < 0);
  out = negative ? -static_cast<Cents>(cents) : static_cast<Cents>(cents);
  return true;
}

Cents VatOfGross(Cents gross, int ratePercent) {
  if (ratePercent <= 0) return 0;
  Cents magnitude = gross < 0 ? -gross : gross;
  Cents divisor = 100 + ratePercent;
  Cents vat = (magnitude * ratePercent * 2 + divisor) / (2 * divisor);
  return gross < 0 ? -vat : vat;
}

namespace {
std::string Format(Cents cents, char point) {
  char text[40];
  Cents magnitude = cents < 0 ? -cents : cents;
  std::snprintf(text, sizeof text, "%s%lld%c%02lld", cents < 0 ? "-" : "", static_cast<long long>(magnitude / 100),
                point, static_cast<long long>(magnitude % 100));
  return text;
}
}  // namespace

std::string FormatCents(Cents cents) { return Format(cents, ','); }
std::string FormatCentsDot(Cents cents) { return Format(cents, '.'); }

std::string FormatQuantity(Units quantity) {
  char text[40];
  Units magnitude = quantity < 0 ? -quantity : quantity;
  std::snprintf(text, sizeof text, "%s%lld.%03lld", quantity < 0 ? "-" : "", static_cast<long long>(magnitude / 10000),
                static_cast<long long>((magnitude % 10000) / 10));
  return text;
}

}  // namespace kestrel::emulator
