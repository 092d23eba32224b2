// SIGINT and SIGTERM only set a flag; the tool looks at it between calls.
#include <signal.h>

#include "cli/Interrupt.h"

namespace kestrel::cli {
namespace {

extern "C" void OnSignal(int signal) { NoteInterrupt(signal == SIGTERM ? kSignalTerminate : kSignalInterrupt); }

}  // namespace

void WatchForInterrupts() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted reads, writes and sleeps carry on, so the call in progress
  // ends as it would have.
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

}  // namespace kestrel::cli
