// Whole-file reads and writes through the C runtime, the same on every
// platform: every call opens and closes the file, and bytes pass unchanged.
#include <cstdio>
#include <cstring>

#include "tools/FileHook.h"
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

std::string Tools::JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  char last = directory.back();
  if (last == PathSeparator() || last == '/') return directory + name;
  return directory + PathSeparator() + name;
}

}  // namespace kestrel
