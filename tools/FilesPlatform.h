#pragma once
// The platform pieces under the file moves of Tools (Files_posix.cpp,
// Files_win32.cpp); the move across volumes above them is written once.
#include <cstdio>
#include <string>

namespace kestrel::files_platform {

// Renames from to to within one volume, never replacing an existing to: 0,
// the platform's error number, or file_hook::kOtherVolume when the two names
// are on different volumes (a rename cannot join them).
int RenameNoReplace(const std::string& from, const std::string& to);

// Makes the bytes written to an open file reach the disk: 0 or an error number.
int FlushToDisk(std::FILE* file);

// The size of a file, -1 when it cannot be had.
long long SizeOf(const std::string& path);

}  // namespace kestrel::files_platform
