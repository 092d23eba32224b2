// Replays the `kestrel run` line fuzzer's corpus through its harness
// (fuzz/harness/ScriptLineHarness.h), which aborts when a parsed line does
// not round-trip or a word binds to the wrong argument. The other targets are
// replayed in tests/fuzzregress; this one needs the tool's library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/harness/ScriptLineHarness.h"
#include "tests/support/TestProfile.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

TEST(FuzzCorpus, ScriptLine) {
  const std::string dir = std::string(KESTREL_SOURCE_DIR) + "/fuzz/corpus/script_line";
  std::vector<std::string> names;
  Tools::ListDirectory(dir, names);
  ASSERT_FALSE(names.empty()) << "no corpus in " << dir;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadWholeFile(dir + "/" + name);
    fuzz::RunScriptLine(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
}  // namespace kestrel::testing
