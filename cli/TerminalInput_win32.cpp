// The console's own line editing; Ctrl-C ends ReadConsole, and with it the
// wait for a line.
#include <io.h>
#include <stdio.h>

#include <iostream>

#include "cli/Interrupt.h"
#include "cli/TerminalInput.h"

namespace kestrel::cli {

bool InputIsTerminal() { return ::_isatty(_fileno(stdin)) != 0; }
bool ErrorIsTerminal() { return ::_isatty(_fileno(stderr)) != 0; }

bool ReadTerminalLine(std::string& line) {
  if (InterruptRequested()) return false;
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return !InterruptRequested();
}

}  // namespace kestrel::cli
