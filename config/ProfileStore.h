#pragma once
// Store seam behind Settings. Windows reads HKEY_LOCAL_MACHINE; elsewhere a
// file in the registry export format (.reg) named by KESTREL_REGISTRY, or
// /etc/kestrel/registry.reg, stands in for the registry.
#include <cstddef>
#include <string>

namespace kestrel {

// Reads the string value `name` of the key `keyPath` (below HKEY_LOCAL_MACHINE)
// into buffer, with RegQueryValueExA's rules: the stored bytes plus a
// terminator must fit into size bytes. 0, or 111 when the key or value is
// missing or too long. Names compare case-insensitively.
int ReadProfileValue(const std::string& keyPath, const char* name, char* buffer, std::size_t size);

// Whether the profile can serve a key, for the people who set it up.
enum class ProfileState {
  kUsable,
  kMissing,   // there is no profile (no such file)
  kUnusable,  // it exists but cannot be read: a FIFO, a directory, no permission
  kNoKey,     // it can be read but holds no such key
};

// Where the values come from, for messages: the .reg file's path, or the
// registry's key on Windows.
std::string ProfileLocation();

// Checks the profile; with an empty keyPath only that it can be read. The
// reason says what is wrong in a few words ("a FIFO, not a file"), empty
// when usable. Never waits: a FIFO is refused without being read.
ProfileState CheckProfile(const std::string& keyPath, std::string& reason);

// The store's own remarks (a profile that cannot be read, lines of it
// skipped) go to this sink under the tag given; the daily log installs
// itself here, so that the store needs nothing above it. Without a sink they
// are dropped.
using ProfileRemarkSink = void (*)(const char* tag, const std::string& text);
void SetProfileRemarkSink(ProfileRemarkSink sink);
// Passes a remark to the sink, if there is one.
void RemarkOnProfile(const char* tag, const std::string& text);

// Windows keeps a 32-bit and a 64-bit view of the registry; a program reads
// its own unless told otherwise. bits 32 or 64 selects that view for every
// later read, 0 the program's own. False where the store has no views (the
// profile file), and for any other number.
bool SelectProfileView(int bits);
// The view the profile is read from: 32 or 64; 0 where there are no views.
int ProfileViewBits();

}  // namespace kestrel
