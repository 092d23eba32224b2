#pragma once
// Files that survive a crash of the process or the machine: written to a
// temporary name, flushed to the disk, then renamed over the old one, and the
// directory flushed too, so that a reader finds the old file or the new one,
// never a torn one.
#include <string>

namespace kestrel::serve {

// False when any step fails; the old file then stands as it was.
bool WriteFileDurably(const std::string& path, const std::string& bytes);
// Removes a file and flushes its directory; false when it could not be removed.
bool RemoveFileDurably(const std::string& path);

}  // namespace kestrel::serve
