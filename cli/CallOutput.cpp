#include "cli/CallOutput.h"

#include <cstdio>

namespace kestrel::cli {

std::string Quote(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string FormatCallLine(const CallLine& line) {
  std::string out = line.method + ": " + line.r;
  if (line.extended) out += " (" + std::to_string(*line.extended) + ")";
  if (line.text) out += " " + Quote(*line.text);
  for (const std::string& value : line.values) out += " " + value;
  return out;
}

}  // namespace kestrel::cli
