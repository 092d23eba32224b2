#pragma once
// The `kestrel run` line parser and the binding of its words to a method's
// arguments (the call itself is not made).
//
// Input: one script line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CallArgs.h"
#include "cli/CallTable.h"
#include "cli/ScriptLine.h"
#include "fuzz/harness/FuzzHarness.h"

namespace kestrel::fuzz {

// Well-formed UTF-8, written out from the encoding rules on its own.
inline bool ReferenceUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    unsigned long low = 0;
    unsigned long code = 0;
    if (b < 0x80) {
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      n = 1, code = b & 0x1F, low = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2, code = b & 0x0F, low = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3, code = b & 0x07, low = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i - 1 < n) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      code = (code << 6) | (c & 0x3F);
    }
    if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

// A word written back the way a script writes a text in quotes.
inline std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

inline void RunScriptLine(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  std::size_t bad = 0;
  const bool valid = cli::IsValidUtf8(line, &bad);
  Check(valid == ReferenceUtf8(line), "UTF-8 validation agrees with the encoding rules");
  Check(valid || bad < line.size(), "a bad UTF-8 offset lies inside the text");

  const cli::ParsedLine parsed = cli::ParseLine(line);
  std::string_view body = line;
  if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
  if (parsed.kind == cli::LineKind::kError) {
    Check(!parsed.error.empty(), "an error says what is wrong");
    return;
  }
  if (parsed.kind != cli::LineKind::kCall) return;
  Check(ReferenceUtf8(body), "a call that is not UTF-8 is refused");
  Check(!parsed.method.empty(), "a call names its method");
  for (char c : body) {
    Check(!(static_cast<unsigned char>(c) < 0x20 && c != '\t'), "a line with control characters is refused");
  }

  // The words, written back in quotes, read the same.
  std::string again = parsed.method;
  for (const cli::Token& token : parsed.args) again += " " + Quoted(token.text);
  const cli::ParsedLine reread = cli::ParseLine(again);
  Check(reread.kind == cli::LineKind::kCall && reread.method == parsed.method, "a rewritten line names the method");
  Check(reread.args.size() == parsed.args.size(), "a rewritten line has as many words");
  for (std::size_t i = 0; i < parsed.args.size() && i < reread.args.size(); ++i) {
    Check(reread.args[i].text == parsed.args[i].text, "a rewritten word reads the same");
  }

  const cli::Method* method = cli::FindMethod(parsed.method);
  if (method == nullptr || method->WrittenCount() != parsed.args.size()) return;
  cli::CallArgs args;
  std::string error;
  if (args.Bind(method->parameters, parsed.args, error)) {
    (void)args.PrintedValues();
  } else {
    Check(!error.empty(), "a word that does not fit is named");
  }
}

}  // namespace kestrel::fuzz
