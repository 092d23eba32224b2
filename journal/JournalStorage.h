#pragma once
// File helpers private to Journal: replacing a small file so that a process
// killed at any moment leaves either the old or the new content, never a
// truncated one, and the platform differences behind that.
#include <cstddef>
#include <string>

namespace kestrel::journal_storage {

// Writes the bytes to path + ".new" and renames that over path. A length of 0
// changes nothing. 0, or 111 (path then keeps its old content).
int ReplaceFileContent(const std::string& path, const void* bytes, std::size_t length);

// Renames from to to, replacing an existing to in one step: 0, or the
// platform's error number. Platform seam (*_posix.cpp, *_win32.cpp).
int RenameReplacing(const std::string& from, const std::string& to);

// The path of a journal file when the profile names no data directory: the
// root of the current drive on Windows, nothing (empty) elsewhere, so that the
// service never scatters files over the root of a Unix file system.
std::string PathWithoutDataDirectory(const char* name);

}  // namespace kestrel::journal_storage
