// Cutting, filling, centring and trimming of byte texts. Every text result is
// at most 1000 bytes, the width of the buffers the callers were built around.
#include <algorithm>
#include <cstring>
#include <string>

#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kMaxText = 1000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A width argument as a length: negative counts as 0, the cap as given.
std::size_t ClampWidth(int width) { return width <= 0 ? 0 : std::min(static_cast<std::size_t>(width), kMaxText); }

}  // namespace

std::string Tools::MakeFormat(const char* prefix, int width, const char* suffix) {
  std::string format = prefix ? prefix : "";
  format += std::to_string(width);
  format += suffix ? suffix : "";
  if (format.size() > kMaxText) format.resize(kMaxText);
  return format;
}

std::string Tools::SubString(const char* text, std::size_t offset, std::size_t count) {
  if (!text) return std::string();
  std::size_t length = std::strlen(text);
  if (offset >= length) return std::string();
  return std::string(text + offset, std::min({count, kMaxText, length - offset}));
}

std::string Tools::CenterText(const char* text, int width) {
  if (!text) return std::string();
  std::size_t limit = ClampWidth(width);
  std::size_t length = std::strlen(text);
  if (length > limit) return std::string(text, limit);
  return std::string((limit - length) / 2, ' ') + text;
}

std::string Tools::PadLeft(const char* text, char fill, int width) {
  if (!text) return std::string();
  std::size_t limit = ClampWidth(width);
  std::size_t length = std::strlen(text);
  if (length > limit) return std::string(text, std::min(length, kMaxText));
  return std::string(limit - length, fill) + text;
}

void Tools::Trim(char* text) {
  if (!text) return;
  std::size_t start = 0;
  while (text[start] != '\0' && IsBlank(text[start])) ++start;
  std::size_t length = std::strlen(text + start);
  std::memmove(text, text + start, length + 1);
  while (length > 0 && IsBlank(text[length - 1])) text[--length] = '\0';
}

void Tools::StripControl(char* out, std::size_t n, const char* text) {
  if (!out) return;
  std::memset(out, 0, n + 1);
  if (!text) return;
  std::size_t written = 0;
  // Only the first n bytes of the text are looked at, and never past its end.
  for (std::size_t i = 0; i < n && text[i] != '\0'; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x20) out[written++] = text[i];
  }
}

void Tools::ReplaceByte(void* bytes, std::size_t length, unsigned char oldValue, unsigned char newValue) {
  if (!bytes) return;
  auto* p = static_cast<unsigned char*>(bytes);
  std::replace(p, p + length, oldValue, newValue);
}

}  // namespace kestrel
