// The temporary journal files: blocks are appended as the printer delivers
// them and the files are moved away under the application's name once the
// printer has accepted their check code.
#include <string>

#include "journal/Journal.h"
#include "log/Log.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {

int Journal::AppendTmp(char* bytes, std::size_t length, int kind) {
  static const char* const kTag = "Journal::AppendTmp";
  Log::Instance().Write(kTag, "%d", kind);
  if (length == 0) return kSuccess;
  if (bytes == nullptr) return kFailure;
  const std::string* path = RequirePath(kind == kBinary ? JournalFile::kTmpBinary : JournalFile::kTmpText, kTag);
  if (path == nullptr) return kFailure;
  // The serial layer cannot carry a zero byte and delivers it as 0x01.
  Tools::ReplaceByte(bytes, length, 0x01, 0x00);
  return Tools::WriteFile(bytes, length, *path, true);
}

int Journal::DeleteTmp(int kind) {
  static const char* const kTag = "Journal::DeleteTmp";
  Log::Instance().Write(kTag, "%d", kind);
  const std::string* path = RequirePath(kind == kBinary ? JournalFile::kTmpBinary : JournalFile::kTmpText, kTag);
  if (path == nullptr) return kFailure;
  if (!Tools::FileExists(*path)) return kSuccess;
  return Tools::DeleteFile(*path) == 0 ? kSuccess : -1;
}

int Journal::SaveJournal(const char* baseName, int kind) {
  static const char* const kTag = "Journal::SaveJournal";
  Log::Instance().Write(kTag, "%s; %d", baseName != nullptr ? baseName : "", kind);
  if (baseName == nullptr || baseName[0] == '\0') return kFailure;
  const std::string* source = RequirePath(kind != kText ? JournalFile::kTmpBinary : JournalFile::kTmpText, kTag);
  if (source == nullptr) return kFailure;
  if (!Tools::FileExists(*source)) return kSuccess;

  const std::string target = std::string(baseName) + (kind != kText ? ".bin" : ".txt");
  // A journal saved earlier under the same name is never overwritten.
  const int error = Tools::MoveFile(*source, target);
  if (error == 0) return kSuccess;
  Log::Instance().Write(kTag, "Error while moving %s to %s [%d]", source->c_str(), target.c_str(), error);
  return kFailure;
}

}  // namespace kestrel
