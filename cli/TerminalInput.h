#pragma once
// Lines typed at a terminal for `kestrel run`, read so that Ctrl-C ends the
// wait for the next line at once (cli/Interrupt.h) instead of after Enter.
// Also whether a stream of the tool goes to a terminal. The platform half is
// TerminalInput_posix.cpp / TerminalInput_win32.cpp.
#include <string>

namespace kestrel::cli {

// True when standard input, or standard error, is a terminal.
bool InputIsTerminal();
bool ErrorIsTerminal();

// The next line of standard input without its line end; false at the end of
// the input or when an interrupt was requested while waiting.
bool ReadTerminalLine(std::string& line);

}  // namespace kestrel::cli
