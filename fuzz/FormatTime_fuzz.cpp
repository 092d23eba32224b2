// libFuzzer entry point; the harness is shared with tests/fuzzregress.
#include "fuzz/harness/FormatTimeHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kestrel::fuzz::RunFormatTime(data, size);
  return 0;
}
