// The electronic journal's two commands: S04 hands out the journal block by
// block, S10 checks the journal files' check code against the printer's.
// Storing the blocks and the files is the service's (service/JournalTransfer.cpp,
// service/JournalDownload.cpp).
#include <cstring>
#include <string>

#include "log/Log.h"
#include "protocol/JournalBlock.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int kJournalTimeout = reply_timeout::kStatus;
constexpr int kCheckTimeout = reply_timeout::kCommand;
constexpr int kPacketTypeJournalFirst = 4;  // restart at the journal's first block
constexpr int kPacketTypeJournalNext = 5;   // the next block
constexpr int kKindChars = 100;
constexpr std::size_t kBlockChars = 10000;
constexpr std::size_t kHalfChars = 8;

}  // namespace

int Messaging::ReadJournalBlock(bool fromStart, JournalBlock& block) {
  block.kind = JournalBlock::Kind::kNone;
  block.data.clear();
  if (fromStart) {
    CreatePacketOut("S04", kPacketTypeJournalFirst);
    AddPacketOutField("0");
  } else {
    CreatePacketOut("S04", kPacketTypeJournalNext);
  }
  ClosePacketOut();
  const int result = SendReceive(kJournalTimeout);
  if (result != kSuccess) return result;

  char kind[kKindChars + 1] = {};
  if (GetPacketInField(kind, sizeof(kind), 0) != kSuccess || (kind[0] != '1' && kind[0] != '2')) return kSuccess;
  block.data.assign(kBlockChars + 1, '\0');
  if (GetPacketInField(&block.data[0], static_cast<int>(block.data.size()), 3) != kSuccess) {
    block.data.clear();
    return kSuccess;
  }
  block.data.resize(std::strlen(block.data.c_str()));
  block.kind = kind[0] == '1' ? JournalBlock::Kind::kText : JournalBlock::Kind::kBinary;
  return kSuccess;
}

int Messaging::CheckJournalCheckCode(const char* code) {
  const std::string given = code != nullptr ? code : "";
  Log::Instance().Write("Messaging::CheckJournalCheckCode", "%s", given.c_str());
  CreatePacketOut("S10", kPacketTypeCommand);
  AddPacketOutField(given.substr(0, kHalfChars).c_str());
  AddPacketOutField(given.size() > kHalfChars ? given.substr(kHalfChars, kHalfChars).c_str() : "");
  ClosePacketOut();
  return SendReceive(kCheckTimeout);
}

}  // namespace kestrel
