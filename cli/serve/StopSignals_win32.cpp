#include <windows.h>

#include <mutex>

#include "cli/serve/StopSignals.h"

namespace kestrel::serve {
namespace {

std::mutex g_lock;
std::function<void()> g_onStop;

BOOL WINAPI OnConsoleEvent(DWORD) {
  std::function<void()> onStop;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    onStop.swap(g_onStop);
  }
  if (onStop) onStop();
  return TRUE;
}

}  // namespace

struct StopSignals::State {};

StopSignals::StopSignals() : state_(new State) {}

StopSignals::~StopSignals() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  std::lock_guard<std::mutex> guard(g_lock);
  g_onStop = nullptr;
  delete state_;
}

void StopSignals::Watch(std::function<void()> onStop) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_onStop = std::move(onStop);
  }
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace kestrel::serve
