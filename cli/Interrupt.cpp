#include "cli/Interrupt.h"

#include <csignal>

namespace kestrel::cli {
namespace {

// Written from a signal handler: nothing but a sig_atomic_t may be.
volatile std::sig_atomic_t g_signal = 0;

}  // namespace

void NoteInterrupt(int signal) {
  // The first request stands: a second Ctrl-C does not turn into a SIGTERM.
  if (g_signal == 0) g_signal = signal;
}

void ClearInterrupt() { g_signal = 0; }

int InterruptRequested() { return g_signal; }

int InterruptExitStatus() { return g_signal != 0 ? 128 + g_signal : 0; }

const char* InterruptName() { return g_signal == kSignalTerminate ? "SIGTERM" : "SIGINT"; }

}  // namespace kestrel::cli
