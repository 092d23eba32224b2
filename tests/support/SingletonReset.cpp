#include "tests/support/SingletonReset.h"

#include "log/Log.h"
#include "service/Settings.h"
#include "tools/Tools.h"

// Later subsystems add their objects here as they appear.
#if __has_include("journal/Journal.h")
#include "journal/Journal.h"
#define KESTREL_RESET_JOURNAL 1
#endif
#if __has_include("serial/RS232.h")
#include "serial/RS232.h"
#define KESTREL_RESET_RS232 1
#endif
#if __has_include("protocol/Messaging.h")
#include "protocol/Messaging.h"
#define KESTREL_RESET_MESSAGING 1
#endif

namespace kestrel {

void SingletonReset::All() {
#ifdef KESTREL_RESET_MESSAGING
  ProcessSingleton<Messaging>::Slot().reset();
#endif
#ifdef KESTREL_RESET_RS232
  ProcessSingleton<RS232>::Slot().reset();
#endif
#ifdef KESTREL_RESET_JOURNAL
  ProcessSingleton<Journal>::Slot().reset();
#endif
  ProcessSingleton<Settings>::Slot().reset();
  ProcessSingleton<Log>::Slot().reset();
  ProcessSingleton<Tools>::Slot().reset();
}

}  // namespace kestrel
