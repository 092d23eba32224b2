// Whole-file reads and writes through the C runtime, the same on every
// platform: every call opens and closes the file, and bytes pass unchanged.
// Moves and copies build on the platform pieces of FilesPlatform.h.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/FileHook.h"
#include "tools/FilesPlatform.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {

bool Tools::FileExists(const std::string& path) {
  if (path.empty() || DirectoryExists(path)) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

int Tools::ReadFile(char* buffer, std::size_t size, const std::string& path) {
  if (size > 0 && !buffer) return kFailure;
  if (size > 0) std::memset(buffer, 0, size);
  std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
  if (!file) return kFailure;
  std::size_t got = size > 0 ? std::fread(buffer, 1, size, file) : 0;
  std::fclose(file);
  return got == size ? kSuccess : kFailure;
}

int Tools::WriteFile(const void* bytes, std::size_t length, const std::string& path, bool append) {
  // An empty write must neither create nor truncate the file.
  if (length == 0) return kSuccess;
  if (!bytes || path.empty()) return kFailure;
  if (file_hook::Consult(append ? file_hook::FileOperation::kAppend : file_hook::FileOperation::kWrite, path, bytes,
                         length) != 0) {
    return kFailure;
  }
  std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (!file) return kFailure;
  std::size_t put = std::fwrite(bytes, 1, length, file);
  // The bytes may only reach the disk at close, so its result counts too.
  bool closed = std::fclose(file) == 0;
  return put == length && closed ? kSuccess : kFailure;
}

int Tools::MoveFile(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return ENOENT;
  if (int refused = file_hook::Consult(file_hook::FileOperation::kMove, from)) return refused;
  int result = file_hook::Consult(file_hook::FileOperation::kRename, from);
  if (result == 0) result = files_platform::RenameNoReplace(from, to);
  if (result != file_hook::kOtherVolume) return result;

  // Another volume: the target is built whole under a staged name beside it
  // and renamed into place there; until then the source stays as it was.
  if (FileExists(to)) return EEXIST;
  const long long size = FileSize(from);
  if (size < 0) return ENOENT;
  const std::string staged = to + ".part";
  result = CopyFileRange(from, 0, static_cast<std::uint64_t>(size), staged);
  if (result == 0) {
    result = file_hook::Consult(file_hook::FileOperation::kMove, staged);
    if (result == 0) result = files_platform::RenameNoReplace(staged, to);
  }
  if (result != 0) {
    DeleteFile(staged);
    return result == file_hook::kOtherVolume ? EXDEV : result;
  }
  // Two copies for a moment; the source goes only once the target is whole.
  // A source that cannot go takes the target with it: one copy, never two.
  result = DeleteFile(from);
  if (result != 0) DeleteFile(to);
  return result;
}

int Tools::CopyFileRange(const std::string& from, std::uint64_t begin, std::uint64_t end, const std::string& to) {
  if (from.empty() || to.empty() || end < begin) return EINVAL;
  if (int refused = file_hook::Consult(file_hook::FileOperation::kWrite, to)) return refused;
  std::FILE* source = std::fopen(from.c_str(), "rb");
  if (source == nullptr) return ENOENT;
  std::FILE* target = std::fopen(to.c_str(), "wb");
  if (target == nullptr) {
    std::fclose(source);
    return EACCES;
  }
  std::vector<char> piece(1 << 16);
  int result = 0;
  // Bytes before begin are read past, so that no seek limit of the platform applies.
  for (std::uint64_t at = 0; at < end && result == 0;) {
    const std::uint64_t wanted = end - at < piece.size() ? end - at : piece.size();
    const std::size_t got = std::fread(piece.data(), 1, static_cast<std::size_t>(wanted), source);
    if (got == 0) {
      result = EIO;  // the file is shorter than the range
      break;
    }
    const std::uint64_t skip = at < begin ? std::min<std::uint64_t>(begin - at, got) : 0;
    const std::size_t keep = got - static_cast<std::size_t>(skip);
    if (keep > 0 && std::fwrite(piece.data() + skip, 1, keep, target) != keep) result = EIO;
    at += got;
  }
  std::fclose(source);
  if (result == 0) result = files_platform::FlushToDisk(target);
  if (std::fclose(target) != 0 && result == 0) result = EIO;
  if (result != 0) std::remove(to.c_str());
  return result;
}

long long Tools::FileSize(const std::string& path) { return files_platform::SizeOf(path); }

std::string Tools::JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  char last = directory.back();
  if (last == PathSeparator() || last == '/') return directory + name;
  return directory + PathSeparator() + name;
}

}  // namespace kestrel
