#include "cli/serve/RequestGate.h"

#include <algorithm>

namespace kestrel::serve {

RequestGate::Entry RequestGate::Enter() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stopping_) return Entry::kStopping;
  if (!held_ && queue_.empty()) {
    held_ = true;
    return Entry::kEntered;
  }
  if (queue_.size() >= maxWaiting_) return Entry::kQueueFull;
  const uint64_t ticket = nextTicket_++;
  queue_.push_back(ticket);
  const auto deadline = std::chrono::steady_clock::now() + maxWait_;
  const auto myTurn = [&] { return stopping_ || (!held_ && queue_.front() == ticket); };
  const bool turn = turn_.wait_until(lock, deadline, myTurn);
  queue_.erase(std::find(queue_.begin(), queue_.end(), ticket));
  // Whoever is next now may go (the front changed, or nobody holds the lock).
  turn_.notify_all();
  if (stopping_) return Entry::kStopping;
  if (!turn) return Entry::kTimedOut;
  held_ = true;
  return Entry::kEntered;
}

void RequestGate::Leave() {
  std::lock_guard<std::mutex> lock(mutex_);
  held_ = false;
  turn_.notify_all();
}

void RequestGate::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = true;
  turn_.notify_all();
}

void RequestGate::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  turn_.wait(lock, [&] { return !held_; });
}

std::size_t RequestGate::Waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

}  // namespace kestrel::serve
