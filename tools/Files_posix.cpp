// Directory operations and the platform pieces of a move on POSIX systems.
#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "tools/FileHook.h"
#include "tools/FilesPlatform.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

int LastError() { return errno != 0 ? errno : EIO; }

// Renames through a second hard link so that an existing target is never
// replaced: link() refuses when the target exists.
int MoveByLink(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) return LastError();
  if (::unlink(from.c_str()) != 0) {
    int error = LastError();
    ::unlink(to.c_str());
    return error;
  }
  return 0;
}

}  // namespace

bool Tools::DirectoryExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int Tools::MakeDirectory(const std::string& path) {
  if (path.empty()) return -1;
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : -1;
}

int Tools::DeleteFile(const std::string& path) {
  if (path.empty()) return ENOENT;
  if (int refused = file_hook::Consult(file_hook::FileOperation::kDelete, path)) return refused;
  return ::unlink(path.c_str()) == 0 ? 0 : LastError();
}

namespace files_platform {

int RenameNoReplace(const std::string& from, const std::string& to) {
  int result = 0;
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  result = LastError();
  // Some file systems do not know the flag; others refuse for good.
  if (result != EINVAL && result != ENOSYS && result != EOPNOTSUPP)
    return result == EXDEV ? file_hook::kOtherVolume : result;
#endif
  struct stat info {};
  if (::lstat(from.c_str(), &info) != 0) return LastError();
  if (!S_ISDIR(info.st_mode)) {
    result = MoveByLink(from, to);
    if (result == EXDEV) return file_hook::kOtherVolume;
    // Without hard links (some mounted file systems) fall back to a checked rename.
    if (result != EPERM && result != ENOTSUP && result != EOPNOTSUPP) return result;
  }
  if (::lstat(to.c_str(), &info) == 0) return EEXIST;
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  result = LastError();
  return result == EXDEV ? file_hook::kOtherVolume : result;
}

int FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return LastError();
  return ::fsync(::fileno(file)) == 0 ? 0 : LastError();
}

long long SizeOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<long long>(info.st_size);
}

}  // namespace files_platform

int Tools::ListDirectory(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
  if (!dir) return kFailure;
  while (const dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return kSuccess;
}

char Tools::PathSeparator() { return '/'; }

}  // namespace kestrel
