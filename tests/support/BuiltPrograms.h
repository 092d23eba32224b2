#pragma once
// Where the build put its programs (kestrel, kestrel-vprinter): the folder of
// the running test program, which the build shares with them. Found without
// any environment variable, so that a test program run directly finds them.
#include <string>

namespace kestrel::testing {

// The path of a built program by name ("kestrel"); it may not exist.
std::string BuiltProgram(const std::string& name);

}  // namespace kestrel::testing
