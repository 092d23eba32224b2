#pragma once
// The server-wide lock: one request at a time talks to the printer, from its
// first call to reading its results (the service serialises single calls
// only, so two receipts would otherwise interleave). Requests wait their turn
// in arrival order, in a queue of bounded length and for a bounded time.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>

namespace kestrel::serve {

class RequestGate {
 public:
  enum class Entry { kEntered, kQueueFull, kTimedOut, kStopping };

  RequestGate(std::size_t maxWaiting, std::chrono::milliseconds maxWait) : maxWaiting_(maxWaiting), maxWait_(maxWait) {}

  // Waits for the turn; kEntered means the caller holds the lock and must Leave.
  Entry Enter();
  void Leave();
  // Refuses every later Enter and wakes the waiting ones with kStopping; the
  // holder keeps the lock until it leaves.
  void Stop();
  // Waits until no request holds the lock (after Stop: the last one ended).
  void WaitIdle();
  std::size_t Waiting() const;

 private:
  const std::size_t maxWaiting_;
  const std::chrono::milliseconds maxWait_;
  mutable std::mutex mutex_;
  std::condition_variable turn_;
  uint64_t nextTicket_ = 0;    // handed to the next arrival
  std::list<uint64_t> queue_;  // waiting tickets in arrival order; the front one is next
  bool held_ = false;
  bool stopping_ = false;
};

// Holds the gate for a scope.
class GateTurn {
 public:
  explicit GateTurn(RequestGate& gate) : gate_(gate), entry_(gate.Enter()) {}
  ~GateTurn() {
    if (entry_ == RequestGate::Entry::kEntered) gate_.Leave();
  }
  GateTurn(const GateTurn&) = delete;
  GateTurn& operator=(const GateTurn&) = delete;
  RequestGate::Entry Entry() const { return entry_; }

 private:
  RequestGate& gate_;
  RequestGate::Entry entry_;
};

}  // namespace kestrel::serve
