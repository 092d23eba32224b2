#pragma once
// The tool speaks UTF-8 on every platform: its arguments, its output and the
// scripts it reads. Where the system does not (the Windows console and
// command line), these put it right (Console_posix.cpp, Console_win32.cpp).
#include <string>
#include <vector>

namespace kestrel::cli {

// The program's arguments as UTF-8, argv[0] first.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// Makes the console show UTF-8 output as text.
void PrepareConsole();

}  // namespace kestrel::cli
