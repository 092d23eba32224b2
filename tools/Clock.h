#pragma once
// Time seam. Production code sleeps and reads the clock only through here, so
// that tests can run the protocol's whole-second waits in milliseconds and put
// the calendar where they need it. Without hooks this is the real clock.
#include <ctime>

namespace kestrel::clock {

// Sleeps for the given number of milliseconds (through the hook when set).
void SleepMs(int milliseconds);

// The present time as seconds since the epoch (through the hook when set).
std::time_t Now();

using SleepHook = void (*)(int milliseconds);
using NowHook = std::time_t (*)();

// Installs or (with nullptr) removes the hooks. Meant for tests and the
// virtual printer's fast mode; the service itself never installs one.
void SetSleepHook(SleepHook hook);
void SetNowHook(NowHook hook);

}  // namespace kestrel::clock
