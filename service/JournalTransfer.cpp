// Pulls the printer's electronic journal, block by block, into the temporary
// journal files.
#include <cstdint>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/JournalBlock.h"
#include "protocol/Messaging.h"
#include "service/PrinterJournal.h"
#include "service/TransferProgress.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

// A printer that never says "no more data" must not hold the caller forever;
// a day's journal is far smaller than this many blocks.
constexpr long kMaxBlocks = 100000;

}  // namespace

int AppendJournals(Messaging& messaging, bool fromStart) {
  Log::Instance().Write("Messaging::AppendJournals", "%d", fromStart ? 1 : 0);
  Journal& journal = Journal::Instance();
  // A save or a setting aside that a process left half done is finished
  // before anything is added behind it.
  journal.Settle();
  const std::uint64_t binaryBefore = journal.TmpEnd().binary;
  TransferReport report(fromStart);

  JournalBlock block;
  int result = messaging.ReadJournalBlock(fromStart, block);
  long blocks = 0;
  bool binaryAppendFailed = false;
  while (result == kSuccess) {
    if (++blocks > kMaxBlocks) {
      Log::Instance().Write("Messaging::AppendJournals", "No end of journal after %ld blocks", kMaxBlocks);
      return kFailure;
    }
    if (block.kind != JournalBlock::Kind::kNone) {
      report.Block(block.data.size());
      const int file = block.kind == JournalBlock::Kind::kText ? Journal::kText : Journal::kBinary;
      if (journal.AppendTmp(&block.data[0], block.data.size(), file) != kSuccess && file == Journal::kBinary) {
        binaryAppendFailed = true;
      }
    }
    result = messaging.ReadJournalBlock(false, block);
  }
  if (binaryAppendFailed) {
    // The check code stops reading at a 0x1A byte, which binary records may
    // hold, so a binary block missing behind one would go unnoticed and be
    // confirmed. What this transfer added to the binary file is dropped
    // instead: the printer keeps every unconfirmed block, and the next
    // download, refused, fetches them again from the start.
    Log::Instance().Write("Messaging::AppendJournals", "%s", "Binary journal block not stored, file dropped");
    journal.TruncateTmp(Journal::kBinary, binaryBefore);
    return kFailure;
  }
  // The printer answers "no more journal data" (202) when it has handed out
  // all; one that does not answer says so.
  if (result == kJournalEmpty) return kSuccess;
  return result == kTimeout ? kTimeout : kFailure;
}

}  // namespace kestrel
