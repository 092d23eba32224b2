#pragma once
// Request bodies: JSON parsed with every number's text kept beside its value
// (amounts are exact decimals, never doubles), duplicate fields refused, and
// a reader that checks each object's fields by name, type and range and says
// which field is wrong ("items[2].vat").
#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace kestrel::serve {

using Json = nlohmann::json;

// A request that cannot be served as sent: the HTTP status, the field it is
// about (empty when none) and the reason.
struct ApiError {
  int status = 400;
  std::string field;
  std::string text;
};

struct ParsedBody {
  Json value;
  std::map<std::string, std::string> numberText;  // by field path
};

// False with error (field = the path reached) for malformed JSON, a field
// given twice or nesting deeper than 16 levels.
bool ParseJsonBody(const std::string& text, ParsedBody& body, ApiError& error);

// Reads the fields of one object. Every method returns false once an error
// is recorded, so a caller can chain them and stop at the first.
class FieldReader {
 public:
  // path: the object's own path ("" for the body, "items[0]").
  FieldReader(const ParsedBody& body, const Json& object, std::string path, ApiError& error);

  // The object must hold no other fields than these.
  bool OnlyFields(std::initializer_list<const char*> names);
  bool Has(const char* name) const;
  std::string PathOf(const char* name) const;

  // A text of 1..maxChars characters that windows-1250 can hold, without
  // control characters; out receives it in windows-1250.
  bool Text(const char* name, bool required, std::size_t maxChars, std::string& out);
  // An identifier: 1..64 characters of A-Z a-z 0-9 . _ : -
  bool Id(const char* name, bool required, std::string& out);
  // A number with at most `decimals` decimals, as units of 10^-decimals,
  // within [min, max] (in those units).
  bool Decimal(const char* name, bool required, int decimals, int64_t min, int64_t max, int64_t& units);
  bool Integer(const char* name, bool required, int64_t min, int64_t max, int64_t& value);
  bool Boolean(const char* name, bool required, bool& value);
  // One of the given texts.
  bool Choice(const char* name, bool required, std::initializer_list<const char*> choices, std::string& out);
  // The field, which must be an object or an array; null when absent and not required.
  const Json* Object(const char* name, bool required);
  const Json* Array(const char* name, bool required, std::size_t minItems, std::size_t maxItems);

  bool Fail(const std::string& field, const std::string& text);

 private:
  const Json* Field(const char* name, bool required);

  const ParsedBody& body_;
  const Json& object_;
  std::string path_;
  ApiError& error_;
};

// The exact decimal text of a JSON number as units of 10^-decimals. False
// when it has more decimals or does not fit 18 digits.
bool DecimalUnits(const std::string& text, int decimals, int64_t& units);

}  // namespace kestrel::serve
