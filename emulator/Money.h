#pragma once
// Amounts inside the printer. Requests carry amounts as "12.5000" (at most four
// decimals); the printer keeps whole cents and answers with a decimal comma.
#include <cstdint>
#include <string>

namespace kestrel::emulator {

// 1/10 000 of a euro (or of a piece for quantities).
using Units = std::int64_t;
using Cents = std::int64_t;

// Largest magnitude of a request amount: 12 integer digits.
constexpr Units kMaxUnits = 999999999999LL * 10000;

// "-12.5", "3", "0.0001": optional minus, digits, optional point and up to four
// decimals. False for anything else (the printer answers 33 then).
bool ParseUnits(const std::string& text, Units& out);

// Half away from zero, as the printer rounds every amount it prints.
Cents UnitsToCents(Units units);

// quantity × unit price in cents; false when the product is out of range.
bool LineCents(Units quantity, Units unitPrice, Cents& out);

// The VAT contained in a gross amount at a whole-percent rate, in cents.
Cents VatOfGross(Cents gross, int ratePercent);

// "1234,50", "-0,05".
std::string FormatCents(Cents cents);
// "1234.50" for printed lines.
std::string FormatCentsDot(Cents cents);
// "1.000" for a printed quantity, "0.5" style trimmed to at least one decimal.
std::string FormatQuantity(Units quantity);

}  // namespace kestrel::emulator
