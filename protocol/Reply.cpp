// Reading reply frames.
#include "protocol/Reply.h"

#include <cstdlib>
#include <cstring>

#include "serial/Frame.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

// A reply header is STX, code, sequence digit and reply code; with the
// trailer a reply of this length or less has no field.
constexpr std::size_t kBareReplyLength = 12;

}  // namespace

bool Reply::HasCode() const { return std::strlen(frame.c_str()) >= kBareReplyLength; }

int Reply::Code() const {
  if (!HasCode()) return 0;
  const char code[3] = {frame[5], frame[6], '\0'};
  return std::atoi(code);
}

char Reply::Digit() const { return HasCode() ? frame[4] : '\0'; }

int Reply::Field(int index, char* buffer, int size) const {
  if (buffer == nullptr || size < 1) return kFailure;
  std::memset(buffer, 0, static_cast<std::size_t>(size));
  const char* bytes = frame.c_str();
  const std::size_t length = std::strlen(bytes);
  if (length <= kBareReplyLength || index < 0) return kFailure;

  // Pieces between FS bytes, empty ones skipped; the first is the header.
  const std::size_t body = length - kFrameTrailerSize;
  int piece = -1;
  std::size_t at = 0;
  while (at < body) {
    std::size_t stop = at;
    while (stop < body && bytes[stop] != kFs) ++stop;
    if (stop > at) {
      if (piece == index) {
        std::size_t count = stop - at;
        const std::size_t room = static_cast<std::size_t>(size) - 1;
        if (count > room) count = room;
        std::memcpy(buffer, bytes + at, count);
        return kSuccess;
      }
      ++piece;
    }
    at = stop + 1;
  }
  return kFailure;
}

}  // namespace kestrel
