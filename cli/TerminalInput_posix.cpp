// Standard input read with read() into a buffer of our own, so that waiting
// for a line can be broken off: poll() in short steps looks at the interrupt
// flag between them.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/Interrupt.h"
#include "cli/TerminalInput.h"

namespace kestrel::cli {
namespace {

constexpr int kPollStepMs = 100;

std::string& Pending() {
  static std::string pending;
  return pending;
}

}  // namespace

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }
bool ErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

bool ReadTerminalLine(std::string& line) {
  std::string& pending = Pending();
  bool ended = false;
  for (;;) {
    const std::size_t newline = pending.find('\n');
    if (newline != std::string::npos) {
      line = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (ended) {
      // The last line may lack its line end.
      line = pending;
      pending.clear();
      return !line.empty();
    }
    if (InterruptRequested()) return false;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = ::poll(&input, 1, kPollStepMs);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      ended = true;
      continue;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace kestrel::cli
