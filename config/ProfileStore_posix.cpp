// Without a registry, a file in the registry export format holds the
// profile: the one named by KESTREL_REGISTRY, else /etc/kestrel/registry.reg.
// It is read afresh for every value, as the key is opened afresh.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "config/ProfileStore.h"
#include "config/RegFile.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr char kTag[] = "Settings::ReadValue";
constexpr char kDefaultProfile[] = "/etc/kestrel/registry.reg";
// Far more than any profile; a bigger file is not a profile.
constexpr off_t kMaxProfileBytes = 16 * 1024 * 1024;

std::string ProfilePath() {
  const char* path = std::getenv("KESTREL_REGISTRY");
  return (path != nullptr && *path != '\0') ? path : kDefaultProfile;
}

const char* KindOfNonFile(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO, not a file";
  if (S_ISDIR(mode)) return "a directory, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a file";
  if (S_ISSOCK(mode)) return "a socket, not a file";
  return "not a regular file";
}

// Reads the whole profile. Only a regular file is read: opening does not
// wait for a FIFO's writer, and a FIFO or a directory is refused by its kind.
ProfileState ReadProfileFile(const std::string& path, std::string& bytes, std::string& reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    reason = std::generic_category().message(error);
    return error == ENOENT ? ProfileState::kMissing : ProfileState::kUnusable;
  }
  ProfileState state = ProfileState::kUsable;
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    reason = std::generic_category().message(errno);
    state = ProfileState::kUnusable;
  } else if (!S_ISREG(info.st_mode)) {
    reason = KindOfNonFile(info.st_mode);
    state = ProfileState::kUnusable;
  } else if (info.st_size > kMaxProfileBytes) {
    reason = "larger than any profile (" + std::to_string(static_cast<long long>(info.st_size)) + " bytes)";
    state = ProfileState::kUnusable;
  } else {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, &bytes[done], bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    if (done != bytes.size()) {
      reason = "it could not be read whole";
      state = ProfileState::kUnusable;
    }
  }
  ::close(fd);
  return state;
}

void ReportProblems(const std::string& path, const RegFile& file) {
  for (const RegFile::Problem& problem : file.Problems()) {
    RemarkOnProfile(kTag, path + " line " + std::to_string(problem.line) + " skipped: " + problem.reason);
  }
  if (file.ProblemCount() > file.Problems().size()) {
    RemarkOnProfile(kTag,
                    path + ": " + std::to_string(file.ProblemCount() - file.Problems().size()) + " more lines skipped");
  }
}

}  // namespace

bool SelectProfileView(int bits) { return bits == 0; }

int ProfileViewBits() { return 0; }

int ReadProfileValue(const std::string& keyPath, const char* name, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return kFailure;
  std::memset(buffer, 0, size);
  if (name == nullptr) return kFailure;
  try {
    std::string path = ProfilePath();
    std::string bytes;
    std::string reason;
    if (ReadProfileFile(path, bytes, reason) != ProfileState::kUsable) {
      RemarkOnProfile(kTag, "Cannot read profile " + path + ": " + reason);
      return kFailure;
    }
    RegFile file = RegFile::Parse(bytes);
    ReportProblems(path, file);
    const std::string* value = file.Find("HKEY_LOCAL_MACHINE\\" + keyPath, name);
    if (value == nullptr) return kFailure;
    return RegFile::Deliver(*value, buffer, size);
  } catch (...) {
    std::memset(buffer, 0, size);
    return kFailure;
  }
}

std::string ProfileLocation() { return ProfilePath(); }

ProfileState CheckProfile(const std::string& keyPath, std::string& reason) {
  reason.clear();
  try {
    std::string bytes;
    const ProfileState state = ReadProfileFile(ProfilePath(), bytes, reason);
    if (state != ProfileState::kUsable || keyPath.empty()) return state;
    const std::string key = "HKEY_LOCAL_MACHINE\\" + keyPath;
    if (RegFile::Parse(bytes).HasKey(key)) return ProfileState::kUsable;
    reason = "no key [" + key + "]";
    return ProfileState::kNoKey;
  } catch (...) {
    reason = "it could not be read";
    return ProfileState::kUnusable;
  }
}

}  // namespace kestrel
