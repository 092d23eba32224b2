#pragma once
// Before any work the tool checks the profile's DataDirectory the way the
// service will use it: it must be named, leave room for the file names in
// it, exist, be a directory, take a file and have room to spare. Each fault
// is one warning line with its reason; the work goes on, since the printer
// itself does not need the directory.
#include <cstdint>
#include <iosfwd>
#include <string>

namespace kestrel::cli {

// What was found, gathered from the disk (GatherDataDirectoryFacts) or made
// up by a test.
struct DataDirectoryFacts {
  bool named = false;
  std::string path;          // the value as the service uses it (windows-1250 bytes)
  std::size_t maxChars = 0;  // the longest value that leaves room for every file name
  bool exists = false;
  bool isDirectory = false;
  std::string missingLevel;      // the highest level that does not exist (when !exists)
  int writeError = 0;            // errno of a trial write into it; 0 when it took the file
  std::uintmax_t freeBytes = 0;  // available to the service
  bool freeKnown = false;
};

// Below this much free room the directory counts as full.
constexpr std::uintmax_t kDataDirectoryLowSpace = 1024 * 1024;

// Reads the facts for the profile's DataDirectory (after OpenService, which
// fixes the profile key and creates one missing level).
DataDirectoryFacts GatherDataDirectoryFacts();

// The warning for the facts, or empty when the directory is fine.
std::string JudgeDataDirectory(const DataDirectoryFacts& facts);

// Gathers, judges and prints "kestrel: warning: ..." on err. True when fine.
bool WarnAboutDataDirectory(std::ostream& err);

}  // namespace kestrel::cli
