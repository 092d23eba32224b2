// libFuzzer entry point; the harness is shared with tests/fuzzregress.
#include "fuzz/harness/ReadPacketHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::fuzz::RunReadPacket(data, size);
  return 0;
}
