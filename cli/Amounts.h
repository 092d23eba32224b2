#pragma once
// Amounts and quantities as a person types them ("0.15", "1,5", "12") and as
// the service takes them: whole numbers of 1/10000.
#include <cstdint>
#include <string>

namespace kestrel::cli {

constexpr int64_t kUnitsPerWhole = 10000;
// The largest amount the service accepts: 99 999 999.9999.
constexpr int64_t kMaxAmountUnits = 999999990000;

// Digits with at most one decimal point or comma and at most four decimals,
// no sign: "0.15" -> 1500. False when the text is not such a number or
// exceeds max.
bool ParseDecimal(const std::string& text, int64_t max, int64_t& units);

// Units as an amount with two decimals, or more when the third and fourth
// are not zero: 6000 -> "0.60", 12345 -> "1.2345", -4000 -> "-0.40".
std::string FormatUnits(int64_t units);

// unit price x quantity (both in units), rounded half away from zero to
// 1/10000; false when the product leaves the amount range.
bool MultiplyUnits(int64_t unitPrice, int64_t quantity, int64_t& price);

// Units rounded half away from zero to whole cents (100 units), as the printer
// rounds the amount of a line.
int64_t RoundToCents(int64_t units);

}  // namespace kestrel::cli
