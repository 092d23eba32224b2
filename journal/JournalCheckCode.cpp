// The journal check code: the printer confirms a downloaded journal by it, and
// "kstr_jrn_cc.bin" keeps the halves it last accepted.
#include <cstring>

#include "journal/Journal.h"
#include "journal/JournalStorage.h"
#include "log/Log.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {
constexpr std::size_t kHalfSize = Journal::kCheckCodeSize / 2;
}  // namespace

int Journal::GetCheckCode(unsigned char code[kCheckCodeSize]) {
  static const char* const kTag = "Journal::GetCheckCode";
  Log::Instance().Write(kTag, "%s", "");
  if (code == nullptr) return kFailure;
  const std::string* text = RequirePath(JournalFile::kTmpText, kTag);
  const std::string* binary = RequirePath(JournalFile::kTmpBinary, kTag);
  // Without paths the code is that of two missing files, but the caller must
  // not send it as if it described a journal.
  Tools::FileCheckCode(text != nullptr ? *text : std::string(), code);
  Tools::FileCheckCode(binary != nullptr ? *binary : std::string(), code + kHalfSize);
  return text != nullptr && binary != nullptr ? kSuccess : kFailure;
}

int Journal::UpdateCheckCode(const unsigned char code[kCheckCodeSize], int half) {
  static const char* const kTag = "Journal::UpdateCheckCode";
  if (code == nullptr) {
    Log::Instance().Write(kTag, "; %d", half);
    return kFailure;
  }
  Log::Instance().Write(kTag, "%02X%02X%02X%02X%02X%02X%02X%02X; %d", code[0], code[1], code[2], code[3], code[4],
                        code[5], code[6], code[7], half);
  const std::string* path = RequirePath(JournalFile::kCheckCode, kTag);
  if (path == nullptr) return kFailure;

  // A missing or short file reads as zeros for the bytes it lacks.
  char stored[kCheckCodeSize];
  Tools::ReadFile(stored, sizeof stored, *path);
  const std::size_t offset = half == kBinary ? kHalfSize : 0;
  std::memcpy(stored + offset, code + offset, kHalfSize);
  return journal_storage::ReplaceFileContent(*path, stored, sizeof stored);
}

int Journal::ResetCheckCode(int half) {
  Log::Instance().Write("Journal::ResetCheckCode", "%d", half);
  const unsigned char zeros[kCheckCodeSize] = {};
  return UpdateCheckCode(zeros, half);
}

}  // namespace kestrel
