#include <cerrno>
#include <cstdio>

#include "journal/JournalStorage.h"

namespace kestrel::journal_storage {

int RenameReplacing(const std::string& from, const std::string& to) {
  // rename() replaces an existing file atomically.
  if (std::rename(from.c_str(), to.c_str()) == 0) return 0;
  return errno != 0 ? errno : -1;
}

std::string PathWithoutDataDirectory(const char*) { return std::string(); }

}  // namespace kestrel::journal_storage
