// Windows calls the console handler on a thread of its own. Ctrl+C and
// Ctrl+Break only ask the server to stop. Closing the console or shutting
// the machine down ends the process as soon as the handler returns, so the
// handler waits there until the server has ended its request and released
// the printer, or until shortly before Windows stops waiting (about five
// seconds). A user logging off is no reason to stop: a console program only
// hears of it when a service runs it, and the server then serves on.
#include <windows.h>

#include <mutex>

#include "cli/serve/StopSignals.h"

namespace kestrel::serve {
namespace {

constexpr DWORD kCloseGraceMilliseconds = 4500;

std::mutex g_lock;
std::function<void()> g_onStop;
// Set when the owner is gone; made once and kept for the process's life,
// since a handler may still wait on it.
HANDLE g_ownerGone = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_LOGOFF_EVENT) return TRUE;
  {
    // Called under the lock, so that the owner cannot go away meanwhile.
    std::lock_guard<std::mutex> guard(g_lock);
    std::function<void()> onStop;
    onStop.swap(g_onStop);
    if (onStop) onStop();
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    ::WaitForSingleObject(g_ownerGone, kCloseGraceMilliseconds);
  }
  return TRUE;
}

}  // namespace

struct StopSignals::State {};

StopSignals::StopSignals() : state_(new State) { ::ResetEvent(g_ownerGone); }

StopSignals::~StopSignals() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_onStop = nullptr;
  }
  ::SetEvent(g_ownerGone);
  delete state_;
}

void StopSignals::Watch(std::function<void()> onStop) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_onStop = std::move(onStop);
  }
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace kestrel::serve
