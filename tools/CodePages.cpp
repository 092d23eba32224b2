// windows-1250 to and from UTF-8, where text enters or leaves the system
// natively (profiles, the command-line tool, the virtual printer's paper).
#include "tools/CodePageTables.h"
#include "tools/Tools.h"
#include "tools/Utf8.h"

namespace kestrel {
namespace {

// Decodes one character at text[i] and advances i. A malformed sequence
// yields U+FFFD and is skipped as far as it went well-formed (at least one
// byte), so a stray or truncated byte never swallows the text after it.
char32_t DecodeUtf8(const std::string& text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  int more = 0;
  char32_t c = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    c = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    c = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0xFFFD;
  }
  for (int k = 0; k < more; ++k) {
    if (i >= text.size() || byte(i) < low || byte(i) > high) return 0xFFFD;
    c = (c << 6) | (byte(i++) & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return c;
}

}  // namespace

std::string Tools::Cp1250ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, codepage::Cp1250ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Tools::Utf8ToCp1250(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    int byte = codepage::UnicodeToCp1250(DecodeUtf8(text, i));
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

}  // namespace kestrel
