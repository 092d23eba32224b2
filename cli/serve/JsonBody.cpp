#include "cli/serve/JsonBody.h"

#include <vector>

#include "tools/Tools.h"

namespace kestrel::serve {
namespace {

constexpr std::size_t kMaxDepth = 16;

// Builds the document as nlohmann's own DOM builder does, and keeps the text
// of each number under its path.
class Builder : public nlohmann::json_sax<Json> {
 public:
  Builder(ParsedBody& body, ApiError& error) : body_(body), error_(error) {}

  bool null() override { return Add(Json(nullptr)); }
  bool boolean(bool value) override { return Add(Json(value)); }
  bool number_integer(number_integer_t value) override {
    body_.numberText[Path()] = std::to_string(value);
    return Add(Json(value));
  }
  bool number_unsigned(number_unsigned_t value) override {
    body_.numberText[Path()] = std::to_string(value);
    return Add(Json(value));
  }
  bool number_float(number_float_t value, const string_t& text) override {
    body_.numberText[Path()] = text;
    return Add(Json(value));
  }
  bool string(string_t& value) override { return Add(Json(std::move(value))); }
  bool binary(binary_t&) override { return Fail("binary values are not JSON"); }
  bool start_object(std::size_t) override { return Open(Json::object()); }
  bool key(string_t& name) override {
    Json& object = *stack_.back();
    segments_.back() = name;
    if (object.contains(name)) return Fail("the field is given twice");
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(Json::array()); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) override {
    if (error_.text.empty()) error_.text = "the body is not valid JSON (at byte " + std::to_string(position) + ")";
    return false;
  }

 private:
  // The path of the value about to be added.
  std::string Path() const {
    std::string path;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
      if (stack_[i]->is_array()) {
        // An open array's last element is the one being filled; the top one gets a new element.
        const std::size_t size = stack_[i]->size();
        const std::size_t index = i + 1 < segments_.size() ? size - 1 : size;
        path += "[" + std::to_string(index) + "]";
      } else {
        if (!path.empty()) path += ".";
        path += segments_[i];
      }
    }
    return path;
  }

  bool Add(Json value) {
    if (stack_.empty()) {
      body_.value = std::move(value);
      return true;
    }
    Json& parent = *stack_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
    } else {
      parent[segments_.back()] = std::move(value);
    }
    return true;
  }

  bool Open(Json container) {
    if (stack_.size() >= kMaxDepth) return Fail("the body nests deeper than 16 levels");
    Json* placed = nullptr;
    if (stack_.empty()) {
      body_.value = std::move(container);
      placed = &body_.value;
    } else {
      Json& parent = *stack_.back();
      if (parent.is_array()) {
        parent.push_back(std::move(container));
        placed = &parent.back();
      } else {
        Json& slot = parent[segments_.back()];
        slot = std::move(container);
        placed = &slot;
      }
    }
    stack_.push_back(placed);
    segments_.emplace_back();
    return true;
  }

  bool Close() {
    stack_.pop_back();
    segments_.pop_back();
    return true;
  }

  bool Fail(const std::string& text) {
    error_.field = Path();
    error_.text = text;
    return false;
  }

  ParsedBody& body_;
  ApiError& error_;
  std::vector<Json*> stack_;
  std::vector<std::string> segments_;
};

std::string Join(const std::string& path, const char* name) {
  return path.empty() ? std::string(name) : path + "." + name;
}

const char* TypeName(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::boolean:
      return "a boolean";
    case Json::value_t::string:
      return "a text";
    case Json::value_t::array:
      return "an array";
    case Json::value_t::object:
      return "an object";
    default:
      return "a number";
  }
}

}  // namespace

bool ParseJsonBody(const std::string& text, ParsedBody& body, ApiError& error) {
  body = ParsedBody();
  Builder builder(body, error);
  error = ApiError();
  if (!Json::sax_parse(text, &builder)) {
    if (error.text.empty()) error.text = "the body is not valid JSON";
    return false;
  }
  return true;
}

bool DecimalUnits(const std::string& text, int decimals, int64_t& units) {
  std::size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  std::string digits;
  int scale = 0;  // decimals held by digits
  bool point = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    const char c = text[i];
    if (c == '.') {
      if (point) return false;
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return false;
    digits += c;
    if (point) ++scale;
  }
  if (digits.empty()) return false;
  if (i < text.size()) {
    // An exponent moves the decimal point.
    ++i;
    bool expNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    if (i >= text.size()) return false;
    long exponent = 0;
    for (; i < text.size(); ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      exponent = exponent * 10 + (text[i] - '0');
      if (exponent > 1000) return false;
    }
    scale += static_cast<int>(expNegative ? exponent : -exponent);
  }
  // Trailing zeros after the point say nothing about the value.
  while (scale > 0 && digits.size() > 1 && digits.back() == '0') {
    digits.pop_back();
    --scale;
  }
  const std::size_t lead = digits.find_first_not_of('0');
  digits = lead == std::string::npos ? "0" : digits.substr(lead);
  if (digits == "0") scale = 0;
  if (scale > decimals) return false;
  const int shift = decimals - scale;
  if (digits.size() + static_cast<std::size_t>(shift) > 18) return false;
  int64_t value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  for (int k = 0; k < shift; ++k) value *= 10;
  units = negative ? -value : value;
  return true;
}

FieldReader::FieldReader(const ParsedBody& body, const Json& object, std::string path, ApiError& error)
    : body_(body), object_(object), path_(std::move(path)), error_(error) {}

bool FieldReader::Fail(const std::string& field, const std::string& text) {
  if (!error_.text.empty()) return false;
  error_.status = 400;
  error_.field = field;
  error_.text = text;
  return false;
}

std::string FieldReader::PathOf(const char* name) const { return Join(path_, name); }

bool FieldReader::Has(const char* name) const { return object_.is_object() && object_.contains(name); }

bool FieldReader::OnlyFields(std::initializer_list<const char*> names) {
  if (!error_.text.empty()) return false;
  if (!object_.is_object()) {
    return Fail(path_, std::string("must be an object, not ") + TypeName(object_));
  }
  for (const auto& [key, value] : object_.items()) {
    bool known = false;
    for (const char* name : names) known = known || key == name;
    if (!known) return Fail(Join(path_, key.c_str()), "is not a field of this request");
  }
  return true;
}

const Json* FieldReader::Field(const char* name, bool required) {
  if (!error_.text.empty()) return nullptr;
  if (!object_.is_object() || !object_.contains(name)) {
    if (required) Fail(PathOf(name), "is required");
    return nullptr;
  }
  return &object_.at(name);
}

bool FieldReader::Text(const char* name, bool required, std::size_t maxChars, std::string& out) {
  const Json* value = Field(name, required);
  if (value == nullptr) return error_.text.empty();
  if (!value->is_string()) return Fail(PathOf(name), std::string("must be a text, not ") + TypeName(*value));
  const std::string& utf8 = value->get_ref<const std::string&>();
  const std::string cp1250 = Tools::Utf8ToCp1250(utf8);
  std::size_t questionMarks = 0;
  for (char c : utf8) questionMarks += c == '?' ? 1 : 0;
  std::size_t converted = 0;
  for (char c : cp1250) converted += c == '?' ? 1 : 0;
  if (converted != questionMarks) return Fail(PathOf(name), "holds characters the printer cannot print");
  for (char c : cp1250) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return Fail(PathOf(name), "must not hold control characters (line breaks, tabs)");
    }
  }
  if (cp1250.empty()) return Fail(PathOf(name), "must not be empty");
  if (cp1250.size() > maxChars) {
    return Fail(PathOf(name), "is longer than " + std::to_string(maxChars) + " characters");
  }
  out = cp1250;
  return true;
}

bool FieldReader::Id(const char* name, bool required, std::string& out) {
  const Json* value = Field(name, required);
  if (value == nullptr) return error_.text.empty();
  if (!value->is_string()) return Fail(PathOf(name), std::string("must be a text, not ") + TypeName(*value));
  const std::string& text = value->get_ref<const std::string&>();
  bool ok = !text.empty() && text.size() <= 64;
  for (char c : text) {
    ok = ok && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                c == ':' || c == '-');
  }
  if (!ok) return Fail(PathOf(name), "must be 1 to 64 characters of A-Z a-z 0-9 . _ : -");
  out = text;
  return true;
}

bool FieldReader::Decimal(const char* name, bool required, int decimals, int64_t min, int64_t max, int64_t& units) {
  const Json* value = Field(name, required);
  if (value == nullptr) return error_.text.empty();
  if (!value->is_number()) return Fail(PathOf(name), std::string("must be a number, not ") + TypeName(*value));
  const auto text = body_.numberText.find(PathOf(name));
  int64_t parsed = 0;
  if (text == body_.numberText.end() || !DecimalUnits(text->second, decimals, parsed)) {
    const std::string digits = std::to_string(decimals);
    return Fail(PathOf(name), "must have at most " + digits + " decimals and lie in the accepted range");
  }
  if (parsed < min || parsed > max) return Fail(PathOf(name), "is out of range");
  units = parsed;
  return true;
}

bool FieldReader::Integer(const char* name, bool required, int64_t min, int64_t max, int64_t& value) {
  const Json* field = Field(name, required);
  if (field == nullptr) return error_.text.empty();
  if (!field->is_number_integer()) {
    return Fail(PathOf(name), std::string("must be a whole number, not ") + TypeName(*field));
  }
  const int64_t number =
      field->is_number_unsigned() && field->get<uint64_t>() > INT64_MAX ? INT64_MAX : field->get<int64_t>();
  if (number < min || number > max) {
    return Fail(PathOf(name), "must be from " + std::to_string(min) + " to " + std::to_string(max));
  }
  value = number;
  return true;
}

bool FieldReader::Boolean(const char* name, bool required, bool& value) {
  const Json* field = Field(name, required);
  if (field == nullptr) return error_.text.empty();
  if (!field->is_boolean()) return Fail(PathOf(name), std::string("must be true or false, not ") + TypeName(*field));
  value = field->get<bool>();
  return true;
}

bool FieldReader::Choice(const char* name, bool required, std::initializer_list<const char*> choices,
                         std::string& out) {
  const Json* field = Field(name, required);
  if (field == nullptr) return error_.text.empty();
  std::string list;
  for (const char* choice : choices) {
    list += list.empty() ? "" : ", ";
    list += choice;
    if (field->is_string() && field->get_ref<const std::string&>() == choice) {
      out = choice;
      return true;
    }
  }
  return Fail(PathOf(name), "must be one of " + list);
}

const Json* FieldReader::Object(const char* name, bool required) {
  const Json* field = Field(name, required);
  if (field == nullptr) return nullptr;
  if (!field->is_object()) {
    Fail(PathOf(name), std::string("must be an object, not ") + TypeName(*field));
    return nullptr;
  }
  return field;
}

const Json* FieldReader::Array(const char* name, bool required, std::size_t minItems, std::size_t maxItems) {
  const Json* field = Field(name, required);
  if (field == nullptr) return nullptr;
  if (!field->is_array()) {
    Fail(PathOf(name), std::string("must be an array, not ") + TypeName(*field));
    return nullptr;
  }
  if (field->size() < minItems || field->size() > maxItems) {
    Fail(PathOf(name), "must hold " + std::to_string(minItems) + " to " + std::to_string(maxItems) + " entries");
    return nullptr;
  }
  return field;
}

}  // namespace kestrel::serve
