// The busy lock that serialises the service's use of the printer.
#include "protocol/Link.h"
#include "protocol/Messaging.h"

namespace kestrel {

bool Link::AcquireBusy() {
  std::unique_lock<std::mutex> lock(busyMutex_);
  const std::thread::id self = std::this_thread::get_id();
  // A call made from inside the owner's own method (an event handler calling
  // back) must not wait for itself.
  if (busy_ && busyOwner_ == self) return false;
  busyFree_.wait(lock, [this] { return !busy_; });
  busy_ = true;
  busyOwner_ = self;
  return true;
}

void Link::ReleaseBusy() {
  {
    std::lock_guard<std::mutex> lock(busyMutex_);
    busy_ = false;
    busyOwner_ = std::thread::id();
  }
  busyFree_.notify_one();
}

bool Link::IsBusyOwnedByThisThread() const {
  std::lock_guard<std::mutex> lock(busyMutex_);
  return busy_ && busyOwner_ == std::this_thread::get_id();
}

bool Link::IsBusy() const {
  std::lock_guard<std::mutex> lock(busyMutex_);
  return busy_;
}

BusyGuard::BusyGuard() : owns_(Messaging::Instance().AcquireBusy()) {}

BusyGuard::~BusyGuard() {
  if (owns_) Messaging::Instance().ReleaseBusy();
}

}  // namespace kestrel
