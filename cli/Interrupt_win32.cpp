// The console's control events only set a flag; the tool looks at it
// between calls. Windows runs the handler on a thread of its own.
#include <windows.h>

#include "cli/Interrupt.h"

namespace kestrel::cli {
namespace {

BOOL WINAPI OnControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      NoteInterrupt(kSignalInterrupt);
      return TRUE;
    case CTRL_LOGOFF_EVENT:
      // Only a program that a service runs hears of a logoff, and then it is
      // some user's, not this program's end: the work goes on.
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // Windows ends the process once this returns (or after about five
      // seconds): waiting here gives the call in progress time to finish and
      // the tool time to say what is left open.
      NoteInterrupt(kSignalTerminate);
      ::Sleep(4500);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void WatchForInterrupts() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  ::SetConsoleCtrlHandler(OnControl, TRUE);
}

}  // namespace kestrel::cli
