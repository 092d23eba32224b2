// The main of every native test program: GoogleTest's, plus a fresh process
// state before each test (tests/support/FreshProcess.h), so that a program
// run directly passes just as each test does alone under ctest.
#include <gtest/gtest.h>

#include "tests/support/FreshProcess.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  kestrel::testing::InstallFreshProcessListener();
  return RUN_ALL_TESTS();
}
