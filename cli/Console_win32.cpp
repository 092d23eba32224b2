// The command line arrives in the ANSI code page in argv; the wide command
// line has every character, so the arguments are taken from it.
#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "cli/Console.h"

namespace kestrel::cli {
namespace {

// The console's code page belongs to the console, not to this program: it
// is put back when the program ends.
UINT originalOutputCodePage = 0;

void RestoreConsole() { ::SetConsoleOutputCP(originalOutputCodePage); }

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr || count != argc) {
    if (wide != nullptr) ::LocalFree(wide);
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (length > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], length, nullptr, nullptr);
    text.resize(text.size() - 1);
    arguments.push_back(text);
  }
  ::LocalFree(wide);
  return arguments;
}

void PrepareConsole() {
  originalOutputCodePage = ::GetConsoleOutputCP();  // 0 without a console
  if (originalOutputCodePage != 0 && originalOutputCodePage != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
    std::atexit(RestoreConsole);
  }
}

}  // namespace kestrel::cli
