#pragma once
// Ctrl-C and SIGTERM (on Windows Ctrl-C, Ctrl-Break and closing the console)
// ask the tool to stop, not to die: the service call in progress runs to its
// end, since cutting an exchange in half leaves the printer in a state
// nobody knows, and the command stops before its next call and says what is
// left open at the printer. The platform half is Interrupt_posix.cpp /
// Interrupt_win32.cpp.
namespace kestrel::cli {

constexpr int kSignalInterrupt = 2;   // SIGINT, Ctrl-C
constexpr int kSignalTerminate = 15;  // SIGTERM

// Installs the handlers (once; later calls do nothing).
void WatchForInterrupts();

// 0 while nothing asked to stop; else the signal that did (kSignal*).
int InterruptRequested();
// The exit status that tells the signal: 128 + its number (130, 143).
int InterruptExitStatus();
// "SIGINT" or "SIGTERM".
const char* InterruptName();

// Records a request as the handlers do (the handlers and tests call it).
void NoteInterrupt(int signal);
// Forgets a request (tests).
void ClearInterrupt();

}  // namespace kestrel::cli
