// windows-1250 text to the printer's code page 852, by the tables.
#include <cstring>

#include "tools/CodePageTables.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {

int Tools::ToPrinterCodePage(const char* text, std::size_t size, char* out) {
  if (!text || !out) return kIllegal;
  std::size_t length = std::strlen(text);
  for (std::size_t i = 0; i < size; ++i) {
    if (i >= length) {
      out[i] = '\0';
      continue;
    }
    char16_t character = codepage::Cp1250ToUnicode(static_cast<unsigned char>(text[i]));
    out[i] = static_cast<char>(codepage::UnicodeToCp852(character));
  }
  return kSuccess;
}

}  // namespace kestrel
