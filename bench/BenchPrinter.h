#pragma once
// The virtual printer a benchmark measures against, on a pty beside its
// profile.
#include <cstdio>
#include <memory>
#include <string>

#include "bench/BenchProfile.h"
#include "emulator/PtyServer.h"

namespace kestrel::bench {

// Serves a printer with these options on <profile dir>/tty and points the
// profile's Port at it; null, with the reason on stderr, when it cannot start.
inline std::unique_ptr<emulator::PtyServer> ServePrinter(BenchProfile& profile, emulator::ServerOptions options) {
  options.link = profile.Dir() + "/tty";
  auto printer = std::make_unique<emulator::PtyServer>(options);
  std::string error;
  if (printer->Start(&error) != 0) {
    std::fprintf(stderr, "virtual printer: %s\n", error.c_str());
    return nullptr;
  }
  profile.Set("Port", options.link);
  return printer;
}

}  // namespace kestrel::bench
