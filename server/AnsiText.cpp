#include "server/AnsiText.h"

#include <cstring>

namespace kestrel::server {

std::string Ansi(BSTR text) {
  if (text == nullptr) return std::string();
  int wideLength = static_cast<int>(::SysStringLen(text));
  if (wideLength == 0) return std::string();
  int length = ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string result(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, wideLength, &result[0], length, nullptr, nullptr);
  result.resize(std::strlen(result.c_str()));
  return result;
}

BSTR ToBstr(const std::string& text) {
  if (text.empty()) return ::SysAllocString(L"");
  int length = static_cast<int>(text.size());
  int wideLength = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return ::SysAllocString(L"");
  BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(wideLength));
  if (result == nullptr) return nullptr;
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, result, wideLength);
  return result;
}

TextSlot::TextSlot(BSTR* slot) : slot_(slot) {
  if (slot_) {
    original_ = Ansi(*slot_);
    text_ = original_;
  }
}

TextSlot::~TextSlot() {
  if (slot_ == nullptr || text_ == original_) return;
  BSTR replacement = ToBstr(text_);
  if (replacement == nullptr) return;  // out of memory: the caller keeps its text
  ::SysFreeString(*slot_);
  *slot_ = replacement;
}

}  // namespace kestrel::server
