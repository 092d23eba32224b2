// The console's own line editing. Its lines are read as UTF-16 and turned
// into UTF-8: read as bytes they would come in the console's input code page
// (an OEM one such as 852), not in UTF-8. Ctrl-C ends ReadConsole, and with
// it the wait for a line.
#include <windows.h>
#include <io.h>
#include <stdio.h>

#include <iostream>

#include "cli/Interrupt.h"
#include "cli/TerminalInput.h"

namespace kestrel::cli {
namespace {

// The console handler notes Ctrl-C on a thread of its own, maybe only after
// ReadConsole has returned: this long is given to it.
constexpr int kHandlerGraceSteps = 20;
constexpr DWORD kHandlerGraceStepMilliseconds = 10;

constexpr wchar_t kEndOfInput = 0x1A;  // Ctrl-Z at the start of a line

bool ReadPipedLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return "";
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr, nullptr);
  return text;
}

}  // namespace

bool InputIsTerminal() { return ::_isatty(_fileno(stdin)) != 0; }
bool ErrorIsTerminal() { return ::_isatty(_fileno(stderr)) != 0; }

bool ReadTerminalLine(std::string& line) {
  if (InterruptRequested()) return false;
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (!::GetConsoleMode(input, &mode)) {
    // A character device that is no console (NUL): read as bytes.
    return ReadPipedLine(line) && !InterruptRequested();
  }
  std::wstring wide;
  while (wide.empty() || wide.back() != L'\n') {
    wchar_t chunk[256];
    DWORD read = 0;
    if (!::ReadConsoleW(input, chunk, static_cast<DWORD>(sizeof chunk / sizeof chunk[0]), &read, nullptr)) {
      return false;
    }
    if (read == 0) {
      // Only Ctrl-C or Ctrl-Break end a read of the console with nothing.
      for (int i = 0; i < kHandlerGraceSteps && !InterruptRequested(); ++i) ::Sleep(kHandlerGraceStepMilliseconds);
      return false;
    }
    wide.append(chunk, read);
    if (wide[0] == kEndOfInput) return false;
  }
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
  line = Utf8(wide);
  return !InterruptRequested();
}

}  // namespace kestrel::cli
