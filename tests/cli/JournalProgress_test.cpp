// The journal transfer's progress line: shown on a terminal, rewritten in
// place at most five times a second, finished with a line end; nothing at
// all when the output is not a terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

#include "cli/JournalProgress.h"

namespace kestrel::cli {
namespace {

using std::chrono::milliseconds;

struct FakeTime {
  std::chrono::steady_clock::time_point now{};
  JournalProgress::Clock Clock() {
    return [this] { return now; };
  }
};

TransferProgress At(long blocks, std::uint64_t bytes, bool fromStart = false) {
  TransferProgress p;
  p.blocks = blocks;
  p.bytes = bytes;
  p.fromStart = fromStart;
  return p;
}

TEST(JournalProgressLine, CountsBytesAndTime) {
  EXPECT_EQ(JournalProgress::Line(At(1, 600), 0), "Journal: 1 block, 600 bytes, 0 s");
  EXPECT_EQ(JournalProgress::Line(At(12, 35328), 3), "Journal: 12 blocks, 34.5 kB, 3 s");
  EXPECT_EQ(JournalProgress::Line(At(900, 5u * 1024 * 1024, true), 75),
            "Journal (from the first block): 900 blocks, 5.0 MB, 75 s");
}

TEST(JournalProgressDisplay, RewritesOneLineOnATerminalAtMostFiveTimesASecond) {
  std::ostringstream out;
  FakeTime time;
  JournalProgress progress(out, true, time.Clock());
  progress.TransferStarted(false);
  progress.BlockReceived(At(1, 100));  // the first block shows at once
  time.now += milliseconds(50);
  progress.BlockReceived(At(2, 200));  // too soon
  time.now += milliseconds(1200);
  progress.BlockReceived(At(3, 2048));
  time.now += milliseconds(10);
  progress.TransferEnded(At(3, 2048));
  // The shorter line blanks what the longer one left behind.
  EXPECT_EQ(out.str(),
            "\rJournal: 1 block, 100 bytes, 0 s"
            "\rJournal: 3 blocks, 2.0 kB, 1 s  "
            "\rJournal: 3 blocks, 2.0 kB, 1 s\n");
}

TEST(JournalProgressDisplay, QuietWhenNotATerminalOrWhenNothingCame) {
  std::ostringstream piped;
  JournalProgress quiet(piped, false);
  quiet.TransferStarted(true);
  quiet.BlockReceived(At(1, 10));
  quiet.TransferEnded(At(1, 10));
  EXPECT_EQ(piped.str(), "");

  std::ostringstream terminal;
  JournalProgress empty(terminal, true);
  empty.TransferStarted(false);
  empty.TransferEnded(At(0, 0));
  EXPECT_EQ(terminal.str(), "");
}

}  // namespace
}  // namespace kestrel::cli
