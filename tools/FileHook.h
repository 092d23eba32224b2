#pragma once
// File seam. Every operation that changes a file on disk (write, append,
// delete, move, replacing rename) asks here first, so that a test can count
// the operations of a scenario, fail one of them, or stop the "process" at
// one of them and check that nothing is lost. Without a hook every operation
// goes ahead; the service itself never installs one.
#include <cstddef>
#include <string>

namespace kestrel::file_hook {

enum class FileOperation {
  kWrite,    // a file written from its start (created or truncated)
  kAppend,   // bytes appended to a file
  kDelete,   // a file removed
  kMove,     // a file moved to a name that must not exist yet
  kReplace,  // a file renamed over another, replacing it
  kRename,   // the in-place rename a move tries first (see kOtherVolume)
};

// Answered to kRename, makes the move behave as between two volumes: the
// file is copied, flushed, renamed into place and only then removed.
constexpr int kOtherVolume = -18;

// Called before the operation touches the disk. path is the file written,
// deleted or moved (the source of a move); bytes and length are the data of a
// write or append (null and 0 when the data is streamed or there is none).
// Returns 0 to let the operation go ahead; any other value makes it fail with
// that number without touching the disk.
using Hook = int (*)(FileOperation operation, const std::string& path, const void* bytes, std::size_t length);

// Installs or (with nullptr) removes the hook. Meant for tests only.
void SetHook(Hook hook);

// 0 when the operation may go ahead (always, without a hook), else the
// number it must fail with.
int Consult(FileOperation operation, const std::string& path, const void* bytes = nullptr, std::size_t length = 0);

}  // namespace kestrel::file_hook
