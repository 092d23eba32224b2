#include "protocol/AmountText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/Tools.h"

namespace kestrel {

namespace {

std::string Printed(long double value, int decimals) {
  const int length = std::snprintf(nullptr, 0, "%.*Lf", decimals, value);
  if (length <= 0) return "0";
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  std::snprintf(buffer.data(), buffer.size(), "%.*Lf", decimals, value);
  return std::string(buffer.data());
}

int DecimalsFor(int integerChars) { return std::max(0, std::min(4, 9 - integerChars)); }

}  // namespace

std::string AmountText(double value) {
  // "nan" or "inf" would be misread by the printer; such a value goes as 0.
  if (!std::isfinite(value)) value = 0.0;
  const int integerChars = Tools::IntegerDigits(value);
  const int decimals = DecimalsFor(integerChars);
  std::string text = Printed(value, decimals);
  // Rounding can carry into one more integer digit (9999999.9999 with two
  // decimals is 10000000.00); the decimals then follow the longer integer
  // part, so the text keeps to the printer's ten characters.
  const std::size_t point = text.find('.');
  const int printedChars = static_cast<int>(point == std::string::npos ? text.size() : point);
  if (printedChars > integerChars && DecimalsFor(printedChars) < decimals) {
    text = Printed(value, DecimalsFor(printedChars));
  }
  return text;
}

std::string CurrencyText(std::int64_t currency) { return AmountText(static_cast<double>(currency) / 10000.0); }

std::string DescriptionText(const std::string& description) {
  const std::size_t width = description.size() <= 20 ? 20 : 40;
  std::string line = description.substr(0, width);
  line.resize(width, ' ');
  return line;
}

}  // namespace kestrel
