#pragma once
// One block of the printer's electronic journal as the S04 transfer hands it
// out (Messaging::ReadJournalBlock).
#include <string>

namespace kestrel {

struct JournalBlock {
  enum class Kind {
    kNone,    // the reply carries nothing to keep
    kText,    // reply field 0 starts with "1"
    kBinary,  // reply field 0 starts with "2"
  };
  Kind kind = Kind::kNone;
  // Reply field 3, at most 10 000 bytes. The line carries a zero byte as
  // 0x01; the journal turns it back when it stores the block.
  std::string data;
};

}  // namespace kestrel
