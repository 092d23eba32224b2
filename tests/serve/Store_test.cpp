// The id store keeps what a crash must not lose, and the gate lets one request
// at a time at the printer, in order, with a bounded queue.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "cli/serve/IdStore.h"
#include "cli/serve/RequestGate.h"
#include "tests/support/TestProfile.h"

namespace kestrel::serve {
namespace {

namespace fs = std::filesystem;

IdRecord Record(const std::string& id, IdState state, int64_t updated) {
  IdRecord record;
  record.id = id;
  record.kind = "receipt";
  record.digest = "d-" + id;
  record.state = state;
  record.created = record.updated = updated;
  record.facts = Json{{"paid", 100}};
  return record;
}

TEST(IdStore, RecordsSurviveAReopenAndTornWritesAreIgnored) {
  testing::TestProfile scratch;
  const std::string folder = scratch.Dir() + "/ids";
  {
    IdStore store;
    std::string error;
    ASSERT_TRUE(store.Open(folder, error)) << error;
    ASSERT_TRUE(store.Put(Record("a", IdState::kPending, 10)));
    ASSERT_TRUE(store.Put(Record("b", IdState::kPrinted, 20)));
    IdRecord changed = Record("a", IdState::kPrinted, 30);
    changed.answer = Json{{"ok", true}, {"receiptNumber", 7}};
    changed.status = 200;
    ASSERT_TRUE(store.Put(changed));
    ASSERT_TRUE(store.Put(Record("c", IdState::kPending, 40)));
  }
  // What a crash in the middle of a write leaves, and a file nobody can read.
  testing::WriteWholeFile(folder + "/torn.json.tmp", "{\"id\":");
  testing::WriteWholeFile(folder + "/broken.json", "not json");
  IdStore store;
  std::string error;
  ASSERT_TRUE(store.Open(folder, error)) << error;
  const auto a = store.Find("a");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->state, IdState::kPrinted);
  EXPECT_EQ(a->answer["receiptNumber"], 7);
  EXPECT_EQ(a->facts["paid"], 100);
  ASSERT_EQ(store.Pending().size(), 1u);
  EXPECT_EQ(store.Pending()[0].id, "c");
  EXPECT_FALSE(fs::exists(folder + "/torn.json.tmp"));
  EXPECT_TRUE(fs::exists(folder + "/broken.json.unreadable"));
  EXPECT_EQ(store.Recent(2).front().id, "c");

  // Retention forgets settled records only.
  EXPECT_EQ(store.Prune(35), 2u);
  EXPECT_FALSE(store.Find("a"));
  EXPECT_TRUE(store.Find("c"));
  IdStore again;
  ASSERT_TRUE(again.Open(folder, error));
  EXPECT_FALSE(again.Find("b"));
}

TEST(RequestGate, OneAtATimeInArrivalOrder) {
  RequestGate gate(8, std::chrono::seconds(5));
  ASSERT_EQ(gate.Enter(), RequestGate::Entry::kEntered);
  std::vector<int> order;
  std::mutex orderLock;
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&, i] {
      GateTurn turn(gate);
      ASSERT_EQ(turn.Entry(), RequestGate::Entry::kEntered);
      std::lock_guard<std::mutex> guard(orderLock);
      order.push_back(i);
    });
    // Each waits before the next arrives.
    while (gate.Waiting() != static_cast<std::size_t>(i + 1)) std::this_thread::yield();
  }
  gate.Leave();
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

TEST(RequestGate, FullQueueTimeOutAndStop) {
  RequestGate gate(1, std::chrono::milliseconds(50));
  ASSERT_EQ(gate.Enter(), RequestGate::Entry::kEntered);
  EXPECT_EQ(gate.Enter(), RequestGate::Entry::kTimedOut);  // waited its bound
  std::atomic<int> stopped{0};
  RequestGate slow(1, std::chrono::seconds(30));
  ASSERT_EQ(slow.Enter(), RequestGate::Entry::kEntered);
  std::thread waiter([&] { stopped = slow.Enter() == RequestGate::Entry::kStopping ? 1 : 2; });
  while (slow.Waiting() != 1) std::this_thread::yield();
  EXPECT_EQ(slow.Enter(), RequestGate::Entry::kQueueFull);
  slow.Stop();
  waiter.join();
  EXPECT_EQ(stopped, 1);
  slow.Leave();
  slow.WaitIdle();
  EXPECT_EQ(slow.Enter(), RequestGate::Entry::kStopping);
  gate.Leave();
}

}  // namespace
}  // namespace kestrel::serve
