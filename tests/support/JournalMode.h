#pragma once
// Which journal the virtual printer of a test keeps: the environment value
// KESTREL_VPRINTER_JOURNAL=free makes it free the blocks the host confirmed
// (ctest runs the journal's tests once more that way); otherwise it keeps
// its whole history.
#include <cstdlib>
#include <cstring>

#include "emulator/Printer.h"

namespace kestrel::testing {

inline bool FreeingJournalPrinter() {
  const char* mode = std::getenv("KESTREL_VPRINTER_JOURNAL");
  return mode != nullptr && std::strcmp(mode, "free") == 0;
}

inline void UseJournalModeOfTheRun(emulator::PrinterOptions& options) {
  options.freeConfirmedJournal = FreeingJournalPrinter();
}

}  // namespace kestrel::testing
