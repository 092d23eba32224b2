#pragma once
// The line `kestrel run` prints for one call:
//   Method: R[ (E)][ "ErrorString"][ value ...]
// R is ResultCode (for the property getters the value itself), E the
// extended code when R is 114, the error text when R is neither 0 nor a
// property value, then the in/out and out values in argument order.
#include <optional>
#include <string>
#include <vector>

namespace kestrel::cli {

// A UTF-8 text in double quotes, with \" and \\ escaped. Bytes below 0x20
// and DEL are written as \xNN so that one call always stays on one line.
std::string Quote(const std::string& utf8);

struct CallLine {
  std::string method;
  std::string r;                    // the result code or the property value
  std::optional<int> extended;      // printed as " (E)"
  std::optional<std::string> text;  // ErrorString, UTF-8, printed quoted
  std::vector<std::string> values;  // already formatted
};

std::string FormatCallLine(const CallLine& line);

}  // namespace kestrel::cli
