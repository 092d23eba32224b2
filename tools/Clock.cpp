#include "tools/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrel::clock {
namespace {
std::atomic<SleepHook> g_sleep{nullptr};
std::atomic<NowHook> g_now{nullptr};
}  // namespace

void SleepMs(int milliseconds) {
  if (SleepHook hook = g_sleep.load()) {
    hook(milliseconds);
    return;
  }
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::time_t Now() {
  if (NowHook hook = g_now.load()) return hook();
  return std::time(nullptr);
}

void SetSleepHook(SleepHook hook) { g_sleep.store(hook); }
void SetNowHook(NowHook hook) { g_now.store(hook); }

}  // namespace kestrel::clock
