#pragma once
// A scratch directory for the file tests of Tools.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestProfile.h"

namespace kestrel::testing {

class ToolsFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return profile_.Dir() + "/" + name; }
  void Put(const std::string& name, const std::string& bytes) const { WriteWholeFile(Path(name), bytes); }
  std::string Read(const std::string& name) const { return ReadWholeFile(Path(name)); }

  TestProfile profile_;
};

}  // namespace kestrel::testing
