#pragma once
// One line of a `kestrel run` script: a method name followed by its arguments,
// separated by blanks (spaces or tabs). A text may be written in double quotes,
// inside which \" stands for a quote and \\ for a backslash; an unquoted word
// runs to the next blank and may not hold a quote. Lines whose first non-blank
// character is '#', and blank lines, are skipped. A trailing CR (a file written
// on Windows) is ignored. The line must be valid UTF-8 without control
// characters other than TAB.
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::cli {

struct Token {
  std::string text;  // UTF-8, escapes resolved
  bool quoted = false;
};

enum class LineKind { kSkip, kCall, kError };

struct ParsedLine {
  LineKind kind = LineKind::kSkip;
  std::string method;
  std::vector<Token> args;
  std::string error;  // what is wrong, with the column (kError only)
};

ParsedLine ParseLine(std::string_view line);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). On false, *badOffset is the first bad byte.
bool IsValidUtf8(std::string_view text, std::size_t* badOffset = nullptr);

}  // namespace kestrel::cli
