// The names are UTF-8 (cli/FileNames.h): the wide functions take them.
#include <windows.h>

#include "cli/FileNames.h"
#include "cli/serve/DurableFile.h"

namespace kestrel::serve {

bool WriteFileDurably(const std::string& path, const std::string& bytes) {
  const std::wstring target = cli::PathOfUtf8(path).wstring();
  const std::wstring temporary = target + L".tmp";
  HANDLE file =
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
            written == bytes.size();
  ok = ok && FlushFileBuffers(file) != 0;
  ok = CloseHandle(file) != 0 && ok;
  // Write-through makes the rename itself durable before it returns.
  ok = ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileW(temporary.c_str());
  return ok;
}

bool RemoveFileDurably(const std::string& path) {
  return DeleteFileW(cli::PathOfUtf8(path).wstring().c_str()) != 0 || GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace kestrel::serve
