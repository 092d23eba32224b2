#include "cli/CallArgs.h"

#include <limits>
#include <sstream>

#include "cli/CallOutput.h"
#include "tools/Tools.h"

namespace kestrel::cli {

bool IsWritten(ArgKind kind) {
  return kind != ArgKind::kNumberOut && kind != ArgKind::kTextOut && kind != ArgKind::kWideOut;
}

bool IsPrinted(ArgKind kind) {
  return kind == ArgKind::kNumberInOut || kind == ArgKind::kTextInOut || !IsWritten(kind);
}

bool ParseSignature(const char* signature, std::vector<Parameter>& out) {
  static const struct {
    const char* code;
    ArgKind kind;
  } kKinds[] = {{"t", ArgKind::kText},       {"n", ArgKind::kNumber},       {"c", ArgKind::kWide},
                {"b", ArgKind::kFlag},       {"n&", ArgKind::kNumberInOut}, {"t&", ArgKind::kTextInOut},
                {"n*", ArgKind::kNumberOut}, {"t*", ArgKind::kTextOut},     {"c*", ArgKind::kWideOut}};
  out.clear();
  std::istringstream words(signature ? signature : "");
  std::string word;
  while (words >> word) {
    const std::size_t colon = word.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    Parameter parameter;
    parameter.name = word.substr(0, colon);
    const std::string code = word.substr(colon + 1);
    bool known = false;
    for (const auto& k : kKinds) {
      if (code == k.code) {
        parameter.kind = k.kind;
        known = true;
      }
    }
    if (!known) return false;
    out.push_back(parameter);
  }
  return true;
}

bool ParseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  // Accumulated as a negative number, which reaches INT64_MIN.
  int64_t accumulated = 0;
  const int64_t floor = std::numeric_limits<int64_t>::min();
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const int digit = text[i] - '0';
    if (accumulated < (floor + digit) / 10) return false;
    accumulated = accumulated * 10 - digit;
  }
  if (!negative) {
    if (accumulated == floor) return false;
    accumulated = -accumulated;
  }
  if (accumulated < low || accumulated > high) return false;
  value = accumulated;
  return true;
}

bool CallArgs::Bind(const std::vector<Parameter>& parameters, const std::vector<Token>& words, std::string& error) {
  slots_.clear();
  std::size_t next = 0;
  for (const Parameter& parameter : parameters) {
    Slot slot;
    slot.kind = parameter.kind;
    if (IsWritten(parameter.kind)) {
      if (next >= words.size()) {
        error = parameter.name + " is missing";
        return false;
      }
      const std::string& word = words[next++].text;
      int64_t value = 0;
      switch (parameter.kind) {
        case ArgKind::kText:
        case ArgKind::kTextInOut:
          slot.text = Tools::Utf8ToCp1250(word);
          break;
        case ArgKind::kNumber:
        case ArgKind::kNumberInOut:
          if (!ParseInteger(word, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), value)) {
            error = parameter.name + " must be a whole number from -2147483648 to 2147483647, not " + Quote(word);
            return false;
          }
          slot.number = static_cast<int32_t>(value);
          break;
        case ArgKind::kWide:
          if (!ParseInteger(word, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), value)) {
            error = parameter.name + " must be a whole number (amounts in 1/10000), not " + Quote(word);
            return false;
          }
          slot.wide = value;
          break;
        case ArgKind::kFlag:
          if (!ParseInteger(word, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), value)) {
            error = parameter.name + " must be 0 or 1, not " + Quote(word);
            return false;
          }
          slot.number = value != 0 ? 1 : 0;
          break;
        default:
          break;
      }
    }
    slots_.push_back(std::move(slot));
  }
  return true;
}

CallArgs::Slot* CallArgs::Take(std::size_t i, ArgKind a, ArgKind b) {
  if (i < slots_.size() && (slots_[i].kind == a || slots_[i].kind == b)) return &slots_[i];
  miswired_ = true;
  spare_ = Slot{};
  return &spare_;
}

const char* CallArgs::Text(std::size_t i) { return Take(i, ArgKind::kText, ArgKind::kText)->text.c_str(); }
int32_t CallArgs::Number(std::size_t i) { return Take(i, ArgKind::kNumber, ArgKind::kNumber)->number; }
int64_t CallArgs::Wide(std::size_t i) { return Take(i, ArgKind::kWide, ArgKind::kWide)->wide; }
bool CallArgs::Flag(std::size_t i) { return Take(i, ArgKind::kFlag, ArgKind::kFlag)->number != 0; }
int32_t* CallArgs::NumberRef(std::size_t i) { return &Take(i, ArgKind::kNumberInOut, ArgKind::kNumberOut)->number; }
std::string* CallArgs::TextRef(std::size_t i) { return &Take(i, ArgKind::kTextInOut, ArgKind::kTextOut)->text; }
int64_t* CallArgs::WideRef(std::size_t i) { return &Take(i, ArgKind::kWideOut, ArgKind::kWideOut)->wide; }

std::vector<std::string> CallArgs::PrintedValues() const {
  std::vector<std::string> values;
  for (const Slot& slot : slots_) {
    if (!IsPrinted(slot.kind)) continue;
    switch (slot.kind) {
      case ArgKind::kTextInOut:
      case ArgKind::kTextOut:
        values.push_back(Quote(Tools::Cp1250ToUtf8(slot.text)));
        break;
      case ArgKind::kWideOut:
        values.push_back(std::to_string(slot.wide));
        break;
      default:
        values.push_back(std::to_string(slot.number));
        break;
    }
  }
  return values;
}

int32_t CallArgs::NumberValue(std::size_t i) const { return i < slots_.size() ? slots_[i].number : 0; }

std::string CallArgs::TextValue(std::size_t i) const { return i < slots_.size() ? slots_[i].text : std::string(); }

}  // namespace kestrel::cli
