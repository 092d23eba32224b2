#include "journal/Journal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "config/Settings.h"
#include "journal/JournalStorage.h"
#include "log/Log.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

// In the order of JournalFile.
constexpr const char* kFileNames[] = {
    "kstr_jrn_tmp.txt",    "kstr_jrn_tmp.bin",     "kstr_jrn_cc.bin",  "kstr_jrn_eod.txt",   "kstr_jrn_eod_content.txt",
    "kstr_jrn_header.txt", "kstr_jrn_trailer.txt", "kstr_jrn_rec.txt", "kstr_jrn_check.txt",
};
static_assert(sizeof kFileNames / sizeof kFileNames[0] == static_cast<std::size_t>(JournalFile::kCheckState) + 1,
              "one name per journal file");

// Room to read "DataDirectory" whole, so that a value too long for a path is
// told apart from a missing one instead of being mistaken for it.
constexpr int kDirectoryReadSize = 32768;
// Only the first characters of the receipt number file are ever read.
constexpr std::size_t kReceiptNumberChars = 5;

}  // namespace

const char* Journal::FileName(JournalFile file) {
  const auto index = static_cast<std::size_t>(file);
  return index < kFileCount ? kFileNames[index] : "";
}

const std::string& Journal::PathOf(JournalFile file) const {
  static const std::string kNone;
  const auto index = static_cast<std::size_t>(file);
  return index < kFileCount ? paths_[index] : kNone;
}

int Journal::LoadPaths() {
  // The paths are built together, so one built path means all are: they stay
  // fixed for the rest of the process.
  if (!paths_[0].empty()) return kSuccess;

  std::vector<char> value(kDirectoryReadSize, '\0');
  const int read = Settings::Instance().ReadValue("DataDirectory", value.data(), kDirectoryReadSize);
  const std::string directory = read == kSuccess ? std::string(value.data()) : std::string();

  std::string built[kFileCount];
  for (std::size_t i = 0; i < kFileCount; ++i) {
    built[i] = directory.empty() ? journal_storage::PathWithoutDataDirectory(kFileNames[i])
                                 : Tools::JoinPath(directory, kFileNames[i]);
    if (built[i].size() > kMaxPathChars) {
      Log::Instance().Write("Journal::LoadPaths", "DataDirectory too long for %s (%u characters)", kFileNames[i],
                            static_cast<unsigned>(built[i].size()));
      return kFailure;
    }
  }
  if (built[0].empty()) {
    Log::Instance().Write("Journal::LoadPaths", "%s", "DataDirectory not set");
    return kFailure;
  }
  for (std::size_t i = 0; i < kFileCount; ++i) paths_[i] = built[i];
  return read == kSuccess ? kSuccess : kFailure;
}

const std::string* Journal::RequirePath(JournalFile file, const char* tag) const {
  const std::string& path = PathOf(file);
  if (!path.empty()) return &path;
  Log::Instance().Write(tag, "No path for %s", FileName(file));
  return nullptr;
}

int Journal::ReadStoredText(JournalFile file, const char* tag, char* buffer, std::size_t maxChars) {
  if (buffer == nullptr) return kFailure;
  std::memset(buffer, 0, maxChars + 1);
  const std::string* path = RequirePath(file, tag);
  if (path == nullptr) return kFailure;
  const int result = Tools::ReadFile(buffer, maxChars, *path);
  buffer[maxChars] = '\0';
  return result;
}

int Journal::ReplaceStoredText(JournalFile file, const char* tag, const char* text) {
  if (text == nullptr || text[0] == '\0') return kSuccess;  // an empty text is never stored
  const std::string* path = RequirePath(file, tag);
  if (path == nullptr) return kFailure;
  return journal_storage::ReplaceFileContent(*path, text, std::strlen(text));
}

int Journal::GetReceiptNumber() {
  static const char* const kTag = "Journal::GetReceiptNumber";
  Log::Instance().Write(kTag, "%s", "");
  char text[kReceiptNumberChars + 1];
  ReadStoredText(JournalFile::kReceiptNumber, kTag, text, kReceiptNumberChars);
  return static_cast<int>(std::strtol(text, nullptr, 10));
}

int Journal::UpdateReceiptNumber(int number) {
  static const char* const kTag = "Journal::UpdateReceiptNumber";
  Log::Instance().Write(kTag, "%d", number);
  const std::string* path = RequirePath(JournalFile::kReceiptNumber, kTag);
  if (path == nullptr) return kFailure;
  char text[16];
  const int length = std::snprintf(text, sizeof text, "%d", number);
  return journal_storage::ReplaceFileContent(*path, text, static_cast<std::size_t>(length));
}

int Journal::ResetReceiptNumber() {
  Log::Instance().Write("Journal::ResetReceiptNumber", "%s", "");
  return UpdateReceiptNumber(0);
}

int Journal::GetReceiptHeader(char* buffer, std::size_t maxChars) {
  static const char* const kTag = "Journal::GetReceiptHeader";
  Log::Instance().Write(kTag, "%s", "");
  return ReadStoredText(JournalFile::kHeader, kTag, buffer, maxChars);
}

int Journal::GetReceiptTrailer(char* buffer, std::size_t maxChars) {
  static const char* const kTag = "Journal::GetReceiptTrailer";
  Log::Instance().Write(kTag, "%s", "");
  return ReadStoredText(JournalFile::kTrailer, kTag, buffer, maxChars);
}

int Journal::UpdateReceiptHeader(const char* text) {
  static const char* const kTag = "Journal::UpdateReceiptHeader";
  Log::Instance().Write(kTag, "%s", text != nullptr ? text : "");
  return ReplaceStoredText(JournalFile::kHeader, kTag, text);
}

int Journal::UpdateReceiptTrailer(const char* text) {
  static const char* const kTag = "Journal::UpdateReceiptTrailer";
  Log::Instance().Write(kTag, "%s", text != nullptr ? text : "");
  return ReplaceStoredText(JournalFile::kTrailer, kTag, text);
}

}  // namespace kestrel
