#include "tests/support/TrafficCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>

#include "tests/support/TestProfile.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

// The running test's full name as a file name: suite.test, '/' as '_'.
std::string TestFileName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "outside";
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name;
}

}  // namespace

void CaptureTraffic(const std::string& dataDir, const std::vector<std::string>& trace) {
  const char* dir = std::getenv("KESTREL_CAPTURE_DIR");
  if (dir == nullptr || *dir == '\0') return;
  // A test may start more than one printer: each gets its own number.
  static std::map<std::string, int> printers;
  const std::string test = TestFileName();
  const std::string base = std::string(dir) + "/" + test + "." + std::to_string(++printers[test]);

  std::ofstream traceFile(base + ".trace", std::ios::binary | std::ios::trunc);
  for (const std::string& line : trace) traceFile << line << '\n';

  std::string log;
  std::vector<std::string> names;
  Tools::ListDirectory(dataDir, names);
  std::sort(names.begin(), names.end());  // one file per day, oldest first
  for (const std::string& name : names) {
    if (name.compare(0, 9, "kstr_log_") == 0) log += ReadWholeFile(dataDir + "/" + name);
  }
  std::ofstream logFile(base + ".log", std::ios::binary | std::ios::trunc);
  logFile << log;
}

}  // namespace kestrel::testing
