#include "service/TransferProgress.h"

#include <atomic>

namespace kestrel {
namespace {

std::atomic<TransferObserver*> g_observer{nullptr};

}  // namespace

void SetTransferObserver(TransferObserver* observer) { g_observer.store(observer); }

TransferReport::TransferReport(bool fromStart) : observer_(g_observer.load()) {
  progress_.fromStart = fromStart;
  if (observer_ != nullptr) observer_->TransferStarted(fromStart);
}

TransferReport::~TransferReport() {
  if (observer_ != nullptr) observer_->TransferEnded(progress_);
}

void TransferReport::Block(std::uint64_t bytes) {
  ++progress_.blocks;
  progress_.bytes += bytes;
  if (observer_ != nullptr) observer_->BlockReceived(progress_);
}

}  // namespace kestrel
