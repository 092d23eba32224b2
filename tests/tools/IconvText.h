#pragma once
// glibc's iconv as the reference for the code-page tests.
#include <iconv.h>

#include <string>

namespace kestrel::testing {

// Converts bytes between two encodings; false when iconv refuses any of them.
inline bool IconvConvert(const char* from, const char* to, const std::string& in, std::string& out) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string source = in;
  std::string target(in.size() * 4 + 16, '\0');
  char* inPtr = source.data();
  std::size_t inLeft = source.size();
  char* outPtr = target.data();
  std::size_t outLeft = target.size();
  std::size_t done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || inLeft != 0) return false;
  out.assign(target.data(), target.size() - outLeft);
  return true;
}

}  // namespace kestrel::testing
