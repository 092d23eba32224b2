#pragma once
// How amounts and item descriptions are written into the printer's requests.
// Amounts go with a "." and at most four decimals, never more than the printer's
// ten-character number field holds for the amounts it accepts; descriptions are
// exactly 20 or 40 characters, the two widths of a receipt line.
#include <cstdint>
#include <string>

namespace kestrel {

// A value in whole units (EUR, pieces) as request text: four decimals, fewer
// as the integer part grows (nine characters of it leave none), sign included
// in the count. 12.5 -> "12.5000", 1234567.89 -> "1234567.89".
std::string AmountText(double value);

// A currency value (amount x 10 000) as request text, by the rule above.
std::string CurrencyText(std::int64_t currency);

// An item description padded to 20 characters, or, when longer, cut to 40
// and padded to 40.
std::string DescriptionText(const std::string& description);

}  // namespace kestrel
