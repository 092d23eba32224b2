// Without a registry, a file in the registry export format holds the
// profile: the one named by KESTREL_REGISTRY, else /etc/kestrel/registry.reg.
// It is read afresh for every value, as the key is opened afresh.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "log/Log.h"
#include "service/ProfileStore.h"
#include "service/RegFile.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr char kTag[] = "Settings::ReadValue";
constexpr char kDefaultProfile[] = "/etc/kestrel/registry.reg";
// Far more than any profile; a bigger file is not a profile.
constexpr std::streamoff kMaxProfileBytes = 16 * 1024 * 1024;

std::string ProfilePath() {
  const char* path = std::getenv("KESTREL_REGISTRY");
  return (path != nullptr && *path != '\0') ? path : kDefaultProfile;
}

bool ReadProfileFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  std::streamoff length = in.tellg();
  if (length < 0 || length > kMaxProfileBytes) return false;
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(length));
  in.read(bytes.data(), length);
  return in.gcount() == length;
}

void ReportProblems(const std::string& path, const RegFile& file) {
  for (const RegFile::Problem& problem : file.Problems()) {
    Log::Instance().Write(kTag, "%s line %d skipped: %s", path.c_str(), problem.line, problem.reason.c_str());
  }
  if (file.ProblemCount() > file.Problems().size()) {
    Log::Instance().Write(kTag, "%s: %lu more lines skipped", path.c_str(),
                          static_cast<unsigned long>(file.ProblemCount() - file.Problems().size()));
  }
}

}  // namespace

bool SelectProfileView(int bits) { return bits == 0; }

int ProfileViewBits() { return 0; }

bool ProfileKeyExists(const std::string& keyPath) {
  try {
    std::string bytes;
    return ReadProfileFile(ProfilePath(), bytes) && RegFile::Parse(bytes).HasKey("HKEY_LOCAL_MACHINE\\" + keyPath);
  } catch (...) {
    return false;
  }
}

int ReadProfileValue(const std::string& keyPath, const char* name, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return kFailure;
  std::memset(buffer, 0, size);
  if (name == nullptr) return kFailure;
  try {
    std::string path = ProfilePath();
    std::string bytes;
    if (!ReadProfileFile(path, bytes)) {
      Log::Instance().Write(kTag, "Cannot read profile %s", path.c_str());
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

}  // namespace kestrel
