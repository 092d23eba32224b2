#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ctime>
#include <thread>

#include "cli/serve/StopSignals.h"

namespace kestrel::serve {

struct StopSignals::State {
  sigset_t set;
  sigset_t previous;
  std::atomic<bool> done{false};
  std::thread watcher;
};

StopSignals::StopSignals() : state_(new State) {
  sigemptyset(&state_->set);
  sigaddset(&state_->set, SIGINT);
  sigaddset(&state_->set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &state_->set, &state_->previous);
}

StopSignals::~StopSignals() {
  state_->done = true;
  if (state_->watcher.joinable()) state_->watcher.join();
  pthread_sigmask(SIG_SETMASK, &state_->previous, nullptr);
  delete state_;
}

void StopSignals::Watch(std::function<void()> onStop) {
  State* state = state_;
  state->watcher = std::thread([state, onStop] {
    // Looks every 200 ms whether the owner is done, so the thread always ends.
    const timespec step{0, 200 * 1000 * 1000};
    while (!state->done) {
      if (sigtimedwait(&state->set, nullptr, &step) > 0) {
        onStop();
        return;
      }
    }
  });
}

}  // namespace kestrel::serve
