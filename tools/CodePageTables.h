#pragma once
// Character tables of the two single-byte code pages the system meets:
// windows-1250 (every text inside the system) and code page 852 (what the
// printer shows on its display and prints on slips). Bytes below 0x80 are
// ASCII in both. Internal to tools/.
#include <cstdint>

namespace kestrel::codepage {

// The UTF-16 value of a windows-1250 byte. The five bytes that windows-1250
// leaves undefined (0x81, 0x83, 0x88, 0x90, 0x98) read as the C1 control of
// the same number, as Windows reads them.
char16_t Cp1250ToUnicode(unsigned char byte);

// The windows-1250 byte of a character, or -1 when windows-1250 lacks it.
int UnicodeToCp1250(char32_t character);

// The code page 852 byte of a character: its own byte when code page 852 has
// it, else the Windows best-fit substitute, else '?'.
unsigned char UnicodeToCp852(char32_t character);

// The UTF-16 value of a code page 852 byte (for tests and diagnostics).
char16_t Cp852ToUnicode(unsigned char byte);

}  // namespace kestrel::codepage
