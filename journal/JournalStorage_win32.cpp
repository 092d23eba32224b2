#include <windows.h>

#include "journal/JournalStorage.h"
#include "tools/FileHook.h"

namespace kestrel::journal_storage {

int RenameReplacing(const std::string& from, const std::string& to) {
  // The C runtime's rename() refuses an existing target; MoveFileEx replaces
  // it in one step.
  if (int refused = file_hook::Consult(file_hook::FileOperation::kReplace, from)) return refused;
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<int>(error) : -1;
}

std::string PathWithoutDataDirectory(const char* name) { return std::string("\\") + name; }

}  // namespace kestrel::journal_storage
