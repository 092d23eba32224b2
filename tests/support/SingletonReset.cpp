#include "tests/support/SingletonReset.h"

#include "config/Settings.h"
#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "serial/RS232.h"
#include "tools/Tools.h"

namespace kestrel {

void SingletonReset::All() {
  ProcessSingleton<Messaging>::Slot().reset();
  ProcessSingleton<RS232>::Slot().reset();
  ProcessSingleton<Journal>::Slot().reset();
  ProcessSingleton<Settings>::Slot().reset();
  ProcessSingleton<Log>::Slot().reset();
  ProcessSingleton<Tools>::Slot().reset();
}

}  // namespace kestrel
