// Directory operations and the platform pieces of a move on Windows (ANSI file API).
#include <windows.h>
#include <io.h>

#include <cstdio>

#include <algorithm>

#include "tools/FileHook.h"
#include "tools/FilesPlatform.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

int LastError() {
  DWORD error = ::GetLastError();
  return error != 0 ? static_cast<int>(error) : static_cast<int>(ERROR_GEN_FAILURE);
}

}  // namespace

bool Tools::DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int Tools::MakeDirectory(const std::string& path) {
  if (path.empty()) return -1;
  return ::CreateDirectoryA(path.c_str(), nullptr) ? 0 : -1;
}

int Tools::DeleteFile(const std::string& path) {
  if (path.empty()) return static_cast<int>(ERROR_FILE_NOT_FOUND);
  if (int refused = file_hook::Consult(file_hook::FileOperation::kDelete, path)) return refused;
  return ::DeleteFileA(path.c_str()) ? 0 : LastError();
}

namespace files_platform {

int RenameNoReplace(const std::string& from, const std::string& to) {
  // Without MOVEFILE_COPY_ALLOWED the move stays on its volume, and without
  // MOVEFILE_REPLACE_EXISTING it refuses an existing target.
  if (::MoveFileExA(from.c_str(), to.c_str(), 0)) return 0;
  const int error = LastError();
  return error == ERROR_NOT_SAME_DEVICE ? file_hook::kOtherVolume : error;
}

int FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return static_cast<int>(ERROR_WRITE_FAULT);
  return ::_commit(::_fileno(file)) == 0 ? 0 : static_cast<int>(ERROR_WRITE_FAULT);
}

long long SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return -1;
  }
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace files_platform

int Tools::ListDirectory(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  if (path.empty()) return kFailure;
  std::string pattern = path;
  if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    return ::GetLastError() == ERROR_FILE_NOT_FOUND ? kSuccess : kFailure;
  }
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return kSuccess;
}

char Tools::PathSeparator() { return '\\'; }

}  // namespace kestrel
