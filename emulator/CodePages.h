#pragma once
// The printer's own character tables: windows-1250 for texts in fields and
// code page 852 for raw bytes sent to the slip and the display. The paper file
// is UTF-8, so everything printed passes through here.
#include <string>

namespace kestrel::emulator {

std::string Cp1250ToUtf8(const std::string& text);
std::string Cp852ToUtf8(const std::string& text);
// Characters that windows-1250 lacks become '?'.
std::string Utf8ToCp1250(const std::string& text);

}  // namespace kestrel::emulator
