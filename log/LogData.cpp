// Byte dumps: the serial link logs every packet it sends and receives.
#include <string>

#include "log/Log.h"

namespace kestrel {
namespace {

constexpr std::size_t kBytesPerLine = 100;

// Control bytes are written as readable names; '%' as [perc] so that a dump
// line can never act as a format.
void AppendEscaped(std::string& out, unsigned char byte) {
  static const char kHex[] = "0123456789ABCDEF";
  switch (byte) {
    case 0x02:
      out += "[STX]";
      return;
    case 0x03:
      out += "[ETX]";
      return;
    case 0x0A:
      out += "[\\n]";
      return;
    case 0x0D:
      out += "[\\r]";
      return;
    case 0x1C:
      out += "[FS]";
      return;
    case 0x25:
      out += "[perc]";
      return;
    default:
      break;
  }
  if (byte < 0x20) {
    out += "[0x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
    out += ']';
  } else {
    out += static_cast<char>(byte);
  }
}

}  // namespace

void Log::WriteData(const char* tag, const char* label, const void* bytes, std::size_t count) {
  if (tag == nullptr || directory_.empty() || !enabled_) return;
  try {
    // The label is written as text, never used as a format.
    std::string head = label != nullptr ? label : "";
    head += " (" + std::to_string(count) + ")";
    Write(tag, "%s", head.c_str());
    if (!debug_ || bytes == nullptr) return;

    const auto* data = static_cast<const unsigned char*>(bytes);
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
      AppendEscaped(line, data[i]);
      if ((i + 1) % kBytesPerLine == 0 || i + 1 == count) {
        Write(tag, "%s", line.c_str());
        line.clear();
      }
    }
  } catch (...) {
    // Logging never fails a caller.
  }
}

}  // namespace kestrel
