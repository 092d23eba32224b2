#pragma once
// Every test starts in the state a fresh process would give it, whether
// ctest runs it alone or the test program runs all of its tests one after
// the other: the process-wide objects are dropped, the test hooks (clock,
// files, serial device) removed and the environment variables the tests
// change put back. The test programs' main installs this before the first
// test (tests/support/GTest_main.cpp).
#include <functional>

namespace kestrel::testing {

// Puts the process back into its starting state; called before each test.
void ResetProcessState();

// Adds a step to ResetProcessState, for state that lives outside the core
// (a harness's own statics, say). Steps run in the order they were added.
void AlsoResetBeforeEachTest(std::function<void()> step);

// Installs the reset before each test of the running GoogleTest program.
void InstallFreshProcessListener();

}  // namespace kestrel::testing
