#include <cerrno>
#include <cstdio>

#include "journal/JournalStorage.h"
#include "tools/FileHook.h"

namespace kestrel::journal_storage {

int RenameReplacing(const std::string& from, const std::string& to) {
  if (int refused = file_hook::Consult(file_hook::FileOperation::kReplace, from)) return refused;
  // rename() replaces an existing file atomically.
  if (std::rename(from.c_str(), to.c_str()) == 0) return 0;
  return errno != 0 ? errno : -1;
}

std::string PathWithoutDataDirectory(const char*) { return std::string(); }

}  // namespace kestrel::journal_storage
