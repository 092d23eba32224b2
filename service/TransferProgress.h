#pragma once
// Progress of the journal transfer, for whoever shows it (the command-line
// tool on a terminal). The transfer reports each block it receives to an
// observer; none is installed by default, and an observer sees the transfer
// without changing what is sent or written.
#include <cstdint>

namespace kestrel {

struct TransferProgress {
  bool fromStart = false;   // the transfer restarted at the journal's first block
  long blocks = 0;          // journal blocks received so far in this transfer
  std::uint64_t bytes = 0;  // their bytes
};

class TransferObserver {
 public:
  virtual ~TransferObserver() = default;
  virtual void TransferStarted(bool fromStart) = 0;
  virtual void BlockReceived(const TransferProgress& progress) = 0;
  virtual void TransferEnded(const TransferProgress& progress) = 0;
};

// The observer of every later transfer in the process; null removes it.
// It is called on the thread of the transfer, inside the service call, and
// must not call the service.
void SetTransferObserver(TransferObserver* observer);

// What a transfer uses to report: started on construction, ended on
// destruction, one Block per block received.
class TransferReport {
 public:
  explicit TransferReport(bool fromStart);
  ~TransferReport();
  TransferReport(const TransferReport&) = delete;
  TransferReport& operator=(const TransferReport&) = delete;

  void Block(std::uint64_t bytes);

 private:
  TransferObserver* observer_;
  TransferProgress progress_;
};

}  // namespace kestrel
