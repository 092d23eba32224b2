// The journal download: the last blocks are fetched, the printer confirms the
// files by their check code, and they are saved under the application's name.
// What the printer confirmed stays in the temporary files until a save holds
// it (journal/JournalCheck.cpp keeps where it ends), so a failed download
// never costs data, and nothing the printer may have freed is thrown away.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

// Four transfers from the start; the fifth rejected check ends the download.
constexpr int kLastPass = 4;

std::string CheckCodeText(const unsigned char code[Journal::kCheckCodeSize]) {
  char text[Journal::kCheckCodeSize * 2 + 1];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X%02X%02X", code[0], code[1], code[2], code[3], code[4],
                code[5], code[6], code[7]);
  return text;
}

// Checks that the journal can be saved under path before the printer is
// asked to confirm it: a name given, both files free, a directory that takes
// a file. A confirmed journal that cannot be saved would have to wait.
bool CanSaveUnder(const std::string& path) {
  Log& log = Log::Instance();
  if (path.empty()) {
    log.Write("Messaging::DownloadJournal", "%s", "No file name");
    return false;
  }
  for (char c : path) {
    if (static_cast<unsigned char>(c) < 0x20) {
      log.Write("Messaging::DownloadJournal", "%s", "Control character in the file name");
      return false;
    }
  }
  for (const char* ext : {".txt", ".bin"}) {
    if (Tools::FileExists(path + ext) || Tools::DirectoryExists(path + ext)) {
      log.Write("Messaging::DownloadJournal", "%s%s exists", path.c_str(), ext);
      return false;
    }
  }
  const std::size_t slash = path.find_last_of("/\\");
  const std::string probe =
      (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "kstr_jrn_probe.tmp";
  const char byte = '0';
  if (Tools::WriteFile(&byte, 1, probe, false) != kSuccess) {
    log.Write("Messaging::DownloadJournal", "Cannot write in the directory of %s", path.c_str());
    return false;
  }
  Tools::DeleteFile(probe);
  return true;
}

// A check the printer never answered (or could not take up): it may have
// confirmed the files, or not.
bool NoAnswer(const Messaging& messaging, int result) {
  return messaging.OutcomeUnknown() || result == kTimeout || result == kClosed || result == kBusy;
}

}  // namespace

int DownloadJournal(Messaging& messaging, const char* path) {
  const char* target = path != nullptr ? path : "";
  Log::Instance().Write("Messaging::DownloadJournal", "%s", target);
  Journal& journal = Journal::Instance();
  journal.Settle();
  if (!CanSaveUnder(target)) {
    messaging.SetErrorMessage(text::kTextJournalSaveFailed);
    return kFailure;
  }

  int result = AppendJournals(messaging, false);
  for (int pass = 0; result == kSuccess; ++pass) {
    // The printer's confirmation stands where it was last accepted, or at
    // the end of a check it never answered; each such place is tried, the
    // furthest first.
    const Journal::Extent end = journal.TmpEnd();
    const std::vector<Journal::Extent> points = journal.ConfirmationPoints();
    bool accepted = false;
    for (auto point = points.rbegin(); point != points.rend() && !accepted; ++point) {
      unsigned char code[Journal::kCheckCodeSize] = {};
      if (journal.GetCheckCodeFrom(*point, code) != kSuccess) {
        // No data directory: there are no files to confirm or save.
        messaging.SetErrorMessage(text::kTextJournalDownloadFailed);
        return kFailure;
      }
      // Written down before it is sent: the printer may accept it unheard.
      const std::vector<Journal::Extent> before = journal.ConfirmationPoints();
      const bool endWasPoint = std::find(before.begin(), before.end(), end) != before.end();
      if (journal.NoteCheckSent(end) != kSuccess) {
        messaging.SetErrorMessage(text::kTextJournalSaveFailed);
        return kFailure;
      }
      const int check = messaging.CheckJournalCheckCode(CheckCodeText(code).c_str());
      if (check == kSuccess) {
        accepted = true;
        if (journal.NoteCheckAccepted(end) != kSuccess) {
          // Still known as a place the printer may have confirmed: the next
          // download finds it there.
          messaging.SetErrorMessage(text::kTextJournalSaveFailed);
          return kFailure;
        }
        journal.UpdateCheckCode(code, Journal::kText);
        journal.UpdateCheckCode(code, Journal::kBinary);
      } else if (NoAnswer(messaging, check)) {
        // Nothing is thrown away: the files wait for the next download.
        return check;
      } else {
        journal.NoteCheckRefused(*point, end, endWasPoint);
      }
    }
    if (accepted) break;
    // Confirmed, even on the last pass, is saved as usual; refused four times
    // over ends here.
    if (pass >= kLastPass) {
      messaging.SetErrorMessage(text::kTextJournalDownloadFailed);
      return kFailure;
    }
    // The printer does not recognise the files: they go aside, and the whole
    // journal the printer holds is fetched again.
    if (journal.SetAsideUnconfirmed() != kSuccess) {
      messaging.SetErrorMessage(text::kTextJournalSaveFailed);
      return kFailure;
    }
    result = AppendJournals(messaging, true);
    journal.ResetCheckCode(Journal::kText);
    journal.ResetCheckCode(Journal::kBinary);
  }
  if (result != kSuccess) return result;
  if (journal.SaveConfirmed(target) != kSuccess) {
    messaging.SetErrorMessage(text::kTextJournalSaveFailed);
    return kFailure;
  }
  return kSuccess;
}

}  // namespace kestrel
