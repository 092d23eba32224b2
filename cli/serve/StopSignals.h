#pragma once
// SIGINT and SIGTERM (on Windows Ctrl+C, Ctrl+Break, closing the console and
// shutting down) turned into one call of a stop function on a thread of their
// own, so that the server can end its requests and release the printer in
// order.
#include <functional>

namespace kestrel::serve {

class StopSignals {
 public:
  // Takes the signals away from every thread started later (POSIX: create
  // this before any thread).
  StopSignals();
  // Stops watching; once it returns, the stop function is not running and is
  // never called again.
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Calls onStop once, on another thread, when a signal arrives.
  void Watch(std::function<void()> onStop);

 private:
  struct State;
  State* state_;
};

}  // namespace kestrel::serve
