#pragma once
// What a test sent and logged, kept for comparing two builds. When the
// environment names a directory in KESTREL_CAPTURE_DIR, a fixture that ends
// its virtual printer leaves there the printer's trace (every request and
// reply code) and the daily log of the test's data directory, one pair of
// files per printer, named after the test so that two runs line up.
// scripts/compare-traffic captures one build and compares two captures,
// times and addresses aside: a change meant to leave behaviour alone must
// leave them equal. Without the variable nothing is written.
#include <string>
#include <vector>

namespace kestrel::testing {

void CaptureTraffic(const std::string& dataDir, const std::vector<std::string>& trace);

}  // namespace kestrel::testing
