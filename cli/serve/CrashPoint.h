#pragma once
// A test hook for the crash tests: when the environment variable
// KESTREL_SERVE_CRASH_AT names a step ("opened", "item-1", "paid", ...), the
// server kills itself with SIGKILL (TerminateProcess on Windows) the moment
// it reaches that step, so that a test can restart it and check what a
// retried request gets. Without the variable every call is a no-op.
namespace kestrel::serve {

void CrashPoint(const char* step);

// Kills the process at once, as an outside SIGKILL would.
[[noreturn]] void KillThisProcess();

}  // namespace kestrel::serve
