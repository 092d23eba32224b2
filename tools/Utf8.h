#pragma once
// The one UTF-8 encoder of the service and the tool.
#include <string>

namespace kestrel {

// Appends the code point (up to U+10FFFF) to out as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace kestrel
