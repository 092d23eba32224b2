#pragma once
// Runs the built kestrel program as a technician would, under a time limit,
// and collects what it prints on both streams and its exit status.
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/BuiltPrograms.h"

namespace kestrel::cli {

struct ProgramRun {
  int status = -1;     // exit status; 124 when the time limit stopped it
  std::string output;  // standard output and standard error
};

// arguments are shell words; environment assignments may lead them.
inline ProgramRun RunKestrelFor(const std::string& arguments, int seconds = 60, const std::string& environment = "") {
  const std::string command = environment + " timeout " + std::to_string(seconds) + " " +
                              testing::BuiltProgram("kestrel") + " " + arguments + " 2>&1 </dev/null";
  ProgramRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace kestrel::cli
