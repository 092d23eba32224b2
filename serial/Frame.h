#pragma once
// Bytes and sizes of the printer's frame, shared by the serial link and the
// packet layer. A frame is STX, the body, ETX and four upper-case hex digits
// of the CRC over STX..ETX.
#include <cstddef>

namespace kestrel {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kFs = 0x1C;

// Both packet buffers (request and reply) and the driver queues.
constexpr std::size_t kPacketBufferSize = 10000;
// ETX plus the four CRC digits that close every frame.
constexpr std::size_t kFrameTrailerSize = 5;
constexpr std::size_t kCrcDigits = 4;

}  // namespace kestrel
