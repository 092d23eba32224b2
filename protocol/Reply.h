#pragma once
// One reply of the printer as a value: the frame as read (STX, the command
// code, the printer's sequence digit, the two-digit reply code, FS-separated
// fields, ETX and the CRC). A reply of 12 bytes or less carries no field; one
// shorter than 12 carries no code either.
#include <string>

#include "protocol/ReplyCodes.h"

namespace kestrel {

struct Reply {
  std::string frame;

  // True when the frame is long enough to carry a command code, a digit and
  // a reply code.
  bool HasCode() const;
  // The reply code (0 for a frame too short to carry one).
  int Code() const;
  bool Is(ReplyCode code) const { return HasCode() && Code() == static_cast<int>(code); }
  // The printer's sequence digit, or '\0' for a frame too short to carry one.
  char Digit() const;
  // Field index (0 = the first field after the header; empty fields are
  // skipped) into buffer, which always ends up terminated: at most size - 1
  // bytes are copied. 0, or 111 when there is no such field (buffer then
  // empty), or for a null buffer or size < 1.
  int Field(int index, char* buffer, int size) const;
};

}  // namespace kestrel
