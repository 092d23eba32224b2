#include "cli/ScriptLine.h"

#include <cstdio>

namespace kestrel::cli {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(std::string_view line, std::size_t i) {
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i;
}

// The 1-based character column of a byte offset: UTF-8 continuation bytes do
// not start a character.
std::size_t Column(std::string_view line, std::size_t offset) {
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
  }
  return column;
}

ParsedLine Error(std::string_view line, std::size_t offset, const std::string& what) {
  ParsedLine out;
  out.kind = LineKind::kError;
  out.error = what + " (column " + std::to_string(Column(line, offset)) + ")";
  return out;
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

bool IsValidUtf8(std::string_view text, std::size_t* badOffset) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned long code = 0;
    unsigned long minimum = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1F;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0F;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07;
      minimum = 0x10000;
    } else {
      if (badOffset) *badOffset = i;
      return false;
    }
    bool ok = i + length <= text.size();
    for (std::size_t k = 1; ok && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    ok = ok && code >= minimum && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    if (!ok) {
      if (badOffset) *badOffset = i;
      return false;
    }
    i += length;
  }
  return true;
}

ParsedLine ParseLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t i = SkipBlanks(line, 0);
  if (i == line.size() || line[i] == '#') return ParsedLine{};

  std::size_t bad = 0;
  if (!IsValidUtf8(line, &bad)) return Error(line, bad, "not valid UTF-8");
  for (std::size_t k = 0; k < line.size(); ++k) {
    const unsigned char c = static_cast<unsigned char>(line[k]);
    if (c < 0x20 && c != '\t') {
      char what[48];
      std::snprintf(what, sizeof what, "control character 0x%02X", c);
      return Error(line, k, what);
    }
  }

  std::vector<Token> tokens;
  while (i < line.size()) {
    Token token;
    const std::size_t start = i;
    if (line[i] == '"') {
      token.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          token.text += c;
          continue;
        }
        if (i == line.size()) break;
        const char escaped = line[i];
        if (escaped != '"' && escaped != '\\') {
          return Error(line, i - 1, "unknown escape in a quoted text (only \\\" and \\\\ are known)");
        }
        token.text += escaped;
        ++i;
      }
      if (!closed) return Error(line, start, "the quoted text is not closed");
      if (i < line.size() && !IsBlank(line[i])) return Error(line, i, "a blank must follow the closing quote");
    } else {
      while (i < line.size() && !IsBlank(line[i])) {
        if (line[i] == '"') return Error(line, i, "a quote inside a word (quote the whole text)");
        token.text += line[i++];
      }
    }
    tokens.push_back(std::move(token));
    i = SkipBlanks(line, i);
  }

  const Token& name = tokens.front();
  bool validName = !name.quoted && !name.text.empty();
  for (char c : name.text) validName = validName && IsNameCharacter(c);
  if (!validName) return Error(line, SkipBlanks(line, 0), "a line starts with a method name");

  ParsedLine out;
  out.kind = LineKind::kCall;
  out.method = name.text;
  out.args.assign(tokens.begin() + 1, tokens.end());
  return out;
}

}  // namespace kestrel::cli
