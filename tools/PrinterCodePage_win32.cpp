// windows-1250 text to the printer's code page 852 through the system's own
// conversion, with its default replacement of missing characters.
#include <windows.h>

#include <cstring>
#include <vector>

#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {

int Tools::ToPrinterCodePage(const char* text, std::size_t size, char* out) {
  if (!text || !out) return kIllegal;
  // A conversion failure leaves the output untouched.
  int wideLength = ::MultiByteToWideChar(1250, 0, text, -1, nullptr, 0);
  if (wideLength <= 0) return kSuccess;
  std::vector<wchar_t> wide(static_cast<std::size_t>(wideLength));
  if (::MultiByteToWideChar(1250, 0, text, -1, wide.data(), wideLength) <= 0) return kSuccess;
  int narrowLength = ::WideCharToMultiByte(852, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (narrowLength <= 0) return kSuccess;
  std::vector<char> narrow(static_cast<std::size_t>(narrowLength));
  if (::WideCharToMultiByte(852, 0, wide.data(), -1, narrow.data(), narrowLength, nullptr, nullptr) <= 0) {
    return kSuccess;
  }
  // The result counts its terminator; what is shorter than size ends in NULs.
  std::size_t length = std::strlen(narrow.data());
  for (std::size_t i = 0; i < size; ++i) out[i] = i < length ? narrow[i] : '\0';
  return kSuccess;
}

}  // namespace kestrel
