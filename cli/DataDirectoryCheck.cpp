#include "cli/DataDirectoryCheck.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <vector>

#include "cli/FileNames.h"
#include "config/Settings.h"
#include "journal/Journal.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

// Room to read the value whole, so that a long one is told from a missing one.
constexpr int kReadSize = 32768;
constexpr int kJournalFiles = static_cast<int>(JournalFile::kReceiptNumber) + 1;

std::size_t LongestFileName() {
  std::size_t longest = 0;
  for (int i = 0; i < kJournalFiles; ++i) {
    const std::size_t length = std::string(Journal::FileName(static_cast<JournalFile>(i))).size();
    if (length > longest) longest = length;
  }
  return longest;
}

std::string Shown(const std::string& cp1250) { return Tools::Cp1250ToUtf8(cp1250); }

// Writes and removes a small file; 0 when the directory took it, else errno.
int TrialWrite(const std::string& directory) {
  const std::string path = Tools::JoinPath(directory, ".kestrel-write-check");
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return errno != 0 ? errno : EACCES;
  const char probe[512] = {};
  const bool written = std::fwrite(probe, 1, sizeof probe, file) == sizeof probe && std::fflush(file) == 0;
  int error = written ? 0 : (errno != 0 ? errno : ENOSPC);
  if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : ENOSPC;
  std::remove(path.c_str());
  return error;
}

}  // namespace

DataDirectoryFacts GatherDataDirectoryFacts() {
  namespace fs = std::filesystem;
  DataDirectoryFacts facts;
  facts.maxChars = Journal::kMaxPathChars - LongestFileName() - 1;
  std::vector<char> value(kReadSize, '\0');
  if (Settings::Instance().ReadValue("DataDirectory", value.data(), kReadSize) != kSuccess || value[0] == '\0') {
    return facts;
  }
  facts.named = true;
  facts.path = value.data();
  if (facts.path.size() > facts.maxChars) return facts;

  std::error_code error;
  const fs::path path = PathOfServiceName(facts.path);
  facts.exists = fs::exists(path, error);
  if (!facts.exists) {
    // The highest level that is missing: the one to create first.
    fs::path missing = path;
    for (fs::path up = path.parent_path(); !up.empty() && up != missing && !fs::exists(up, error);
         up = up.parent_path()) {
      missing = up;
    }
    facts.missingLevel = ServiceNameOfPath(missing);
    return facts;
  }
  facts.isDirectory = fs::is_directory(path, error);
  if (!facts.isDirectory) return facts;
  facts.writeError = TrialWrite(facts.path);
  const fs::space_info space = fs::space(path, error);
  if (!error) {
    facts.freeBytes = space.available;
    facts.freeKnown = true;
  }
  return facts;
}

std::string JudgeDataDirectory(const DataDirectoryFacts& facts) {
  const std::string lost = ": the service keeps no log and writes no journal files";
  if (!facts.named) return "the profile names no DataDirectory" + lost;
  const std::string name = "DataDirectory " + Shown(facts.path);
  if (facts.path.size() > facts.maxChars) {
    return "DataDirectory is too long: " + std::to_string(facts.path.size()) + " characters, at most " +
           std::to_string(facts.maxChars) + " leave room for the file names in it" + lost;
  }
  if (!facts.exists) {
    if (facts.missingLevel == facts.path) return name + " does not exist and could not be created" + lost;
    return name + " does not exist: " + Shown(facts.missingLevel) +
           " is missing (the service creates only the last level)" + lost;
  }
  if (!facts.isDirectory) return name + " is a file, not a directory" + lost;
  if (facts.writeError == EROFS) return name + " is on a read-only file system" + lost;
  if (facts.writeError == ENOSPC
#ifdef EDQUOT
      || facts.writeError == EDQUOT
#endif
  ) {
    return name + " is full: a file cannot be written there" + lost;
  }
  if (facts.writeError != 0) {
    return name + " is not writable (" + std::generic_category().message(facts.writeError) + ")" + lost;
  }
  if (facts.freeKnown && facts.freeBytes < kDataDirectoryLowSpace) {
    return name + " is nearly full: " + std::to_string(facts.freeBytes / 1024) +
           " KB free; the journal and the log may not fit";
  }
  return "";
}

bool WarnAboutDataDirectory(std::ostream& err) {
  const std::string warning = JudgeDataDirectory(GatherDataDirectoryFacts());
  if (warning.empty()) return true;
  err << "kestrel: warning: " << warning << std::endl;
  return false;
}

}  // namespace kestrel::cli
