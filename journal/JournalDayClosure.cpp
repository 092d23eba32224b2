// Day-closure bookkeeping: the record of the last closure with its
// transactions flag, and the text journal of the closed day kept for other
// software.
#include <cstdio>
#include <cstring>

#include "journal/Journal.h"
#include "journal/JournalStorage.h"
#include "log/Log.h"
#include "tools/FileHook.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr std::size_t kStampChars = Journal::kEodRecordChars - 1;
constexpr const char* kStampFormat = "%Y%m%d%H%M%S";

// The present local time as 14 digits; empty when it cannot be formatted.
void PresentStamp(char (&stamp)[kStampChars + 2]) {
  if (Tools::FormatTime(stamp, sizeof stamp, kStampFormat, "", "") != kSuccess) stamp[0] = '\0';
  stamp[kStampChars] = '\0';
}

// Copies source to target cut into lines of kEodContentLineChars bytes, each
// followed by CR LF. Reads and writes piece by piece, so the journal may be of
// any length. False on any read or write error.
bool WriteContentLines(std::FILE* source, std::FILE* target, char* piece, std::size_t pieceSize, std::size_t count) {
  do {
    if (std::fwrite(piece, 1, count, target) != count || std::fwrite("\r\n", 1, 2, target) != 2) return false;
    count = std::fread(piece, 1, pieceSize, source);
  } while (count > 0);
  return std::ferror(source) == 0;
}

}  // namespace

bool Journal::GetEODTransactions() {
  static const char* const kTag = "Journal::GetEODTransactions";
  Log::Instance().Write(kTag, "%s", "");
  const std::string* path = RequirePath(JournalFile::kEod, kTag);
  if (path == nullptr) return false;
  char record[kEodRecordChars + 1] = {};
  Tools::ReadFile(record, kEodRecordChars, *path);
  return record[kEodRecordChars - 1] == '1';
}

int Journal::UpdateEOD(const char* timeStamp, bool transactions) {
  static const char* const kTag = "Journal::UpdateEOD";
  const char* stamp = timeStamp != nullptr ? timeStamp : "";
  Log::Instance().Write(kTag, "%s; %d", stamp, transactions ? 1 : 0);
  const std::string* path = RequirePath(JournalFile::kEod, kTag);
  if (path == nullptr) return kFailure;

  char record[kEodRecordChars + 1];
  Tools::ReadFile(record, kEodRecordChars, *path);
  record[kEodRecordChars] = '\0';
  // A missing record, or one too short to hold a closure time, starts from
  // the present time rather than writing zero bytes into the file.
  if (std::strlen(record) < kStampChars) {
    char present[kStampChars + 2];
    PresentStamp(present);
    if (std::strlen(present) != kStampChars) return kFailure;
    std::memcpy(record, present, kStampChars);
  }
  const std::size_t given = std::strlen(stamp) < kStampChars ? std::strlen(stamp) : kStampChars;
  std::memcpy(record, stamp, given);
  record[kStampChars] = transactions ? '1' : '0';
  return journal_storage::ReplaceFileContent(*path, record, kEodRecordChars);
}

int Journal::ResetEOD() {
  Log::Instance().Write("Journal::ResetEOD", "%s", "");
  // The closure time is taken before the journal is moved.
  char closure[kStampChars + 2];
  PresentStamp(closure);
  const int copied = CopyEODContent();
  // The printer has closed the day whatever became of the copy, so the record
  // is updated in any case.
  const int updated = UpdateEOD(closure, false);
  return updated != kSuccess ? updated : copied;
}

int Journal::CopyEODContent() {
  static const char* const kTag = "Journal::CopyEODContent";
  Log::Instance().Write(kTag, "%s", "");
  const std::string* sourcePath = RequirePath(JournalFile::kTmpText, kTag);
  const std::string* targetPath = RequirePath(JournalFile::kEodContent, kTag);
  if (sourcePath == nullptr || targetPath == nullptr) return kFailure;

  std::FILE* source = std::fopen(sourcePath->c_str(), "rb");
  if (source == nullptr) return kSuccess;  // no text journal: nothing to copy
  char piece[kEodContentLineChars];
  const std::size_t first = std::fread(piece, 1, sizeof piece, source);
  if (first == 0) {
    const bool failed = std::ferror(source) != 0;
    std::fclose(source);
    return failed ? kFailure : kSuccess;
  }

  // The content is staged under another name and renamed into place, and the
  // text journal is deleted only after that: a failure or a killed process
  // never loses the day's journal.
  const std::string staged = *targetPath + ".new";
  std::FILE* target =
      file_hook::Consult(file_hook::FileOperation::kWrite, staged) == 0 ? std::fopen(staged.c_str(), "wb") : nullptr;
  bool written = false;
  if (target != nullptr) {
    written = WriteContentLines(source, target, piece, sizeof piece, first);
    written = std::fclose(target) == 0 && written;
  }
  std::fclose(source);
  if (!written || journal_storage::RenameReplacing(staged, *targetPath) != 0) {
    Tools::DeleteFile(staged);
    Log::Instance().Write(kTag, "Error while writing %s", targetPath->c_str());
    return kFailure;
  }
  // What the printer may have confirmed and not yet seen saved stays.
  return TruncateTmp(kText, 0);
}

}  // namespace kestrel
