#pragma once
// A virtual printer served on a pty beside a test's profile, the profile's
// Port pointing at it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "emulator/PtyServer.h"
#include "tests/support/TestProfile.h"

namespace kestrel::testing {

// Serves a printer with these options on a pty linked at <profile dir>/name
// and sets the profile's Port to it; a printer that cannot start fails the
// test.
inline void ServePrinterOnProfile(TestProfile& profile, std::unique_ptr<emulator::PtyServer>& printer,
                                  emulator::ServerOptions options = {}, const std::string& name = "printer") {
  options.link = profile.Dir() + "/" + name;
  profile.Set("Port", options.link);
  printer = std::make_unique<emulator::PtyServer>(options);
  std::string error;
  ASSERT_EQ(printer->Start(&error), 0) << error;
}

}  // namespace kestrel::testing
