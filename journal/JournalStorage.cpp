#include "journal/JournalStorage.h"

#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::journal_storage {

int ReplaceFileContent(const std::string& path, const void* bytes, std::size_t length) {
  if (path.empty() || bytes == nullptr) return kFailure;
  if (length == 0) return kSuccess;
  const std::string staged = path + ".new";
  if (Tools::WriteFile(bytes, length, staged, false) != kSuccess) {
    Tools::DeleteFile(staged);
    return kFailure;
  }
  if (RenameReplacing(staged, path) != 0) {
    Tools::DeleteFile(staged);
    return kFailure;
  }
  return kSuccess;
}

}  // namespace kestrel::journal_storage
