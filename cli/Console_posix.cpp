#include <unistd.h>

#include "cli/Console.h"

namespace kestrel::cli {

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void PrepareConsole() {}

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

}  // namespace kestrel::cli
