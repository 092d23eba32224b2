// A narrow name given to std::filesystem on Windows would be read in the C
// library's locale, which takes neither UTF-8 nor the ANSI code page: every
// name goes through UTF-16 here instead.
#include <windows.h>

#include "cli/FileNames.h"

namespace kestrel::cli {
namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
  if (text.empty()) return L"";
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return L"";
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return "";
  const int length =
      ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr, nullptr);
  return text;
}

}  // namespace

std::filesystem::path PathOfUtf8(const std::string& utf8) { return std::filesystem::path(Wide(utf8, CP_UTF8)); }

std::string Utf8OfPath(const std::filesystem::path& path) { return Narrow(path.wstring(), CP_UTF8); }

std::filesystem::path PathOfServiceName(const std::string& name) { return std::filesystem::path(Wide(name, CP_ACP)); }

std::string ServiceNameOfPath(const std::filesystem::path& path) { return Narrow(path.wstring(), CP_ACP); }

}  // namespace kestrel::cli
