#pragma once
// The journal transfer's progress on the terminal: blocks and bytes so far
// and the time taken, rewritten in place on one line. Quiet when the stream
// is not a terminal, so that logs and pipes get only the result.
#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "service/TransferProgress.h"

namespace kestrel::cli {

class JournalProgress : public TransferObserver {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // terminal false: shows nothing. clock defaults to the steady clock.
  JournalProgress(std::ostream& out, bool terminal, Clock clock = nullptr);

  void TransferStarted(bool fromStart) override;
  void BlockReceived(const TransferProgress& progress) override;
  void TransferEnded(const TransferProgress& progress) override;

  // "Journal: 12 blocks, 34.5 kB, 3 s" ("Journal (from the first block): ..."
  // for a transfer from the start).
  static std::string Line(const TransferProgress& progress, long seconds);

 private:
  std::chrono::steady_clock::time_point Now() const;
  void Show(const TransferProgress& progress);

  std::ostream& out_;
  bool terminal_;
  Clock clock_;
  std::chrono::steady_clock::time_point started_{};
  std::chrono::steady_clock::time_point shown_{};
  bool anyShown_ = false;
  std::size_t lastWidth_ = 0;
};

// Shows the progress of every journal transfer while it lives, on err when
// err is the terminal's standard error.
class JournalProgressOnTerminal {
 public:
  explicit JournalProgressOnTerminal(std::ostream& err);
  ~JournalProgressOnTerminal();
  JournalProgressOnTerminal(const JournalProgressOnTerminal&) = delete;
  JournalProgressOnTerminal& operator=(const JournalProgressOnTerminal&) = delete;

 private:
  JournalProgress progress_;
};

}  // namespace kestrel::cli
