// The journal download: the last blocks are fetched, the printer confirms the
// files by their check code, and they are saved under the application's name.
// Until a save succeeds the journal stays in the temporary files, so a failed
// download never costs data: the next one still finds and saves it.
#include <cstdio>
#include <string>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kCheckTimeout = reply_timeout::kCommand;
constexpr std::size_t kHalfChars = 8;
// Four transfers from the start; the fifth rejected check ends the download.
constexpr int kLastPass = 4;

std::string CheckCodeText(const unsigned char code[Journal::kCheckCodeSize]) {
  char text[Journal::kCheckCodeSize * 2 + 1];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X%02X%02X", code[0], code[1], code[2], code[3], code[4],
                code[5], code[6], code[7]);
  return text;
}

// Errors that mean the printer never answered the check: it neither
// accepted nor rejected the files, so they must not be thrown away.
bool NoAnswer(int result) { return result == kTimeout || result == kClosed; }

// Moves both temporary files to path + ".txt" / ".bin". When the binary
// half cannot be moved, the text half goes back to its temporary file, so
// the journal is either saved whole or still waiting whole. 0 or 111.
int SaveBothHalves(const char* path) {
  Journal& journal = Journal::Instance();
  const std::string& tmpText = journal.PathOf(JournalFile::kTmpText);
  const bool hadText = !tmpText.empty() && Tools::FileExists(tmpText);
  if (journal.SaveJournal(path, Journal::kText) != kSuccess) return kFailure;
  if (journal.SaveJournal(path, Journal::kBinary) == kSuccess) return kSuccess;
  if (hadText) {
    const std::string savedText = std::string(path) + ".txt";
    const int error = Tools::MoveFile(savedText, tmpText);
    if (error != 0) {
      Log::Instance().Write("Messaging::DownloadJournal", "Error while moving %s to %s [%d]", savedText.c_str(),
                            tmpText.c_str(), error);
    }
  }
  return kFailure;
}

}  // namespace

int Messaging::CheckJournalCheckCode(const char* code) {
  const std::string given = code != nullptr ? code : "";
  Log::Instance().Write("Messaging::CheckJournalCheckCode", "%s", given.c_str());
  CreatePacketOut("S10", kPacketTypeCommand);
  AddPacketOutField(given.substr(0, kHalfChars).c_str());
  AddPacketOutField(given.size() > kHalfChars ? given.substr(kHalfChars, kHalfChars).c_str() : "");
  ClosePacketOut();
  return SendReceive(kCheckTimeout);
}

int Messaging::DownloadJournal(const char* path) {
  const char* target = path != nullptr ? path : "";
  Log::Instance().Write("Messaging::DownloadJournal", "%s", target);
  Journal& journal = Journal::Instance();

  int result = AppendJournals(false);
  bool saved = false;
  for (int pass = 0; result == kSuccess && !saved; ++pass) {
    unsigned char code[Journal::kCheckCodeSize] = {};
    if (journal.GetCheckCode(code) != kSuccess) {
      // No data directory: there are no files to confirm or save.
      SetErrorMessage(text::kTextJournalDownloadFailed);
      return kFailure;
    }
    const int check = CheckJournalCheckCode(CheckCodeText(code).c_str());
    if (check == kSuccess) {
      // Confirmed, even on the last pass: the journal is saved as usual.
      saved = true;
      journal.UpdateCheckCode(code, Journal::kText);
      journal.UpdateCheckCode(code, Journal::kBinary);
      if (SaveBothHalves(target) != kSuccess) {
        SetErrorMessage(text::kTextJournalSaveFailed);
        result = kFailure;
      }
    } else if (NoAnswer(check)) {
      result = check;
    } else if (pass >= kLastPass) {
      SetErrorMessage(text::kTextJournalDownloadFailed);
      result = kFailure;
    } else {
      // The printer does not recognise the files: fetch the whole journal again.
      journal.DeleteTmp(Journal::kText);
      journal.DeleteTmp(Journal::kBinary);
      result = AppendJournals(true);
      journal.ResetCheckCode(Journal::kText);
      journal.ResetCheckCode(Journal::kBinary);
    }
  }
  return result;
}

}  // namespace kestrel
