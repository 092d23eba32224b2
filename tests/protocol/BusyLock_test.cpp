// The busy lock: one owner thread, re-entry on that thread, waiting elsewhere.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "protocol/Messaging.h"

namespace kestrel {
namespace {

TEST(BusyLock, OuterGuardOwnsAndReleasesReEntryTakesNothing) {
  Messaging& m = Messaging::Instance();
  EXPECT_FALSE(m.IsBusy());
  {
    BusyGuard outer;
    EXPECT_FALSE(outer.ReEntered());
    EXPECT_TRUE(m.IsBusyOwnedByThisThread());
    {
      BusyGuard inner;  // an event handler calling back into the service
      EXPECT_TRUE(inner.ReEntered());
    }
    // The inner guard's end must not release the outer method's lock.
    EXPECT_TRUE(m.IsBusyOwnedByThisThread());
  }
  EXPECT_FALSE(m.IsBusy());
}

TEST(BusyLock, AnotherThreadWaitsUntilTheOwnerIsDone) {
  Messaging& m = Messaging::Instance();
  std::atomic<bool> taken{false};
  std::atomic<bool> ownedThere{false};
  std::thread other;
  {
    BusyGuard outer;
    other = std::thread([&] {
      BusyGuard guard;
      ownedThere = !guard.ReEntered() && Messaging::Instance().IsBusyOwnedByThisThread();
      taken = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(taken.load());
    EXPECT_TRUE(m.IsBusyOwnedByThisThread());
  }
  other.join();
  EXPECT_TRUE(taken.load());
  EXPECT_TRUE(ownedThere.load());
  EXPECT_FALSE(m.IsBusy());
}

TEST(BusyLock, OwnershipIsPerThread) {
  BusyGuard outer;
  bool ownedElsewhere = true;
  std::thread([&] { ownedElsewhere = Messaging::Instance().IsBusyOwnedByThisThread(); }).join();
  EXPECT_FALSE(ownedElsewhere);
}

}  // namespace
}  // namespace kestrel
