// Pulls the printer's electronic journal, block by block, into the temporary
// journal files.
#include <cstdint>
#include <cstring>
#include <vector>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "protocol/TransferProgress.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int kJournalTimeout = reply_timeout::kStatus;
constexpr int kPacketTypeJournalFirst = 4;  // restart at the journal's first block
constexpr int kPacketTypeJournalNext = 5;   // the next block
constexpr int kKindChars = 100;
constexpr int kBlockChars = 10000;
// A printer that never says "no more data" must not hold the caller forever;
// a day's journal is far smaller than this many blocks.
constexpr long kMaxBlocks = 100000;

}  // namespace

int Messaging::AppendJournals(bool fromStart) {
  Log::Instance().Write("Messaging::AppendJournals", "%d", fromStart ? 1 : 0);
  // A save or a setting aside that a process left half done is finished
  // before anything is added behind it.
  Journal::Instance().Settle();
  const std::uint64_t binaryBefore = Journal::Instance().TmpEnd().binary;
  TransferReport report(fromStart);

  if (fromStart) {
    CreatePacketOut("S04", kPacketTypeJournalFirst);
    AddPacketOutField("0");
  } else {
    CreatePacketOut("S04", kPacketTypeJournalNext);
  }
  ClosePacketOut();
  int result = SendReceive(kJournalTimeout);

  std::vector<char> block(kBlockChars + 1);
  long blocks = 0;
  bool binaryAppendFailed = false;
  while (result == kSuccess) {
    if (++blocks > kMaxBlocks) {
      Log::Instance().Write("Messaging::AppendJournals", "No end of journal after %ld blocks", kMaxBlocks);
      return kFailure;
    }
    char kind[kKindChars + 1] = {};
    if (GetPacketInField(kind, sizeof(kind), 0) == kSuccess && (kind[0] == '1' || kind[0] == '2')) {
      if (GetPacketInField(block.data(), static_cast<int>(block.size()), 3) == kSuccess) {
        report.Block(std::strlen(block.data()));
        const int file = kind[0] == '1' ? Journal::kText : Journal::kBinary;
        if (Journal::Instance().AppendTmp(block.data(), std::strlen(block.data()), file) != kSuccess &&
            file == Journal::kBinary) {
          binaryAppendFailed = true;
        }
      }
    }
    CreatePacketOut("S04", kPacketTypeJournalNext);
    ClosePacketOut();
    result = SendReceive(kJournalTimeout);
  }
  if (binaryAppendFailed) {
    // The check code stops reading at a 0x1A byte, which binary records may
    // hold, so a binary block missing behind one would go unnoticed and be
    // confirmed. What this transfer added to the binary file is dropped
    // instead: the printer keeps every unconfirmed block, and the next
    // download, refused, fetches them again from the start.
    Log::Instance().Write("Messaging::AppendJournals", "%s", "Binary journal block not stored, file dropped");
    Journal::Instance().TruncateTmp(Journal::kBinary, binaryBefore);
    return kFailure;
  }
  // The printer answers "no more journal data" (202) when it has handed out
  // all; one that does not answer says so.
  if (result == kJournalEmpty) return kSuccess;
  return result == kTimeout ? kTimeout : kFailure;
}

}  // namespace kestrel
