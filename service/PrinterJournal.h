#pragma once
// The journal's side of the printer's documents. The printer commands
// (protocol/Messaging.h) only talk to the printer; what the service keeps in
// its journal files around them is done here, where the service drives the
// journal:
//  - a receipt opened, or a cash or invoice document printed, marks the day
//    as having transactions;
//  - a receipt closed normally stores its number and, outside training
//    mode, brings the printer's new journal blocks into the temporary files;
//  - the stored receipt header follows the printer's header lines;
//  - the journal download checks the files with the printer and saves them.
// Each operation logs under the tag the daily log has always shown for it
// ("Messaging::AppendJournals" and so on), so the log reads the same.
#include <string>

#include "protocol/DocumentTexts.h"
#include "protocol/Messaging.h"

namespace kestrel {

// The trailer and header that the journal keeps for printed documents. A
// header not stored yet is first read from the printer (UpdateHeader).
class JournalTexts : public DocumentTexts {
 public:
  explicit JournalTexts(Messaging& messaging) : messaging_(messaging) {}
  std::string Trailer() override;
  int Header(std::string& header) override;

 private:
  Messaging& messaging_;
};

// A receipt opened, or a cash or invoice document printed (result 0): the
// day has transactions until its closure. Returns result.
int MarkDayTransaction(int result);

// Closes the open receipt normally (P12 with the stored trailer). Once it is
// closed, also when a lost reply turned out carried out, the number the
// printer reported before the close is stored (an unread one keeps the
// stored number) and, outside training mode, the new journal blocks are
// fetched, from the journal's start after the day's first receipt. Neither
// changes the result, which is the close's.
int CloseReceipt(Messaging& messaging, DocumentTexts& texts);

// The number stored after the last closed receipt.
int StoredReceiptNumber();

// Reads the printer's header lines (fiscal data 1..9, 60..62) and stores
// them, each centred in 40 characters, as the receipt header. A read the
// printer does not answer ends it with that result, storing nothing; else
// the store's result.
int UpdateHeader(Messaging& messaging);

// S04: appends the printer's new journal blocks (fromStart: its whole
// journal) to the temporary journal files until the printer has none left
// (then 0). 112 when the printer stops answering, 111 for any other failure.
int AppendJournals(Messaging& messaging, bool fromStart);

// Finishes the journal transfer, verifies it (re-transferring from the
// start up to four times) and saves it as path + ".txt" / ".bin". Whether
// it can be saved there (a name, both files free, a directory that takes a
// file) is checked before anything is sent. The temporary files keep the
// journal whenever it is not saved: 111 with "Chyba pri sťahovaní žurnálu"
// when the fifth check fails, 111 with "Chyba pri ukladaní žurnálu" when
// the files cannot be saved (neither half is then left saved), or the
// check's own result when the printer does not answer it (nothing is
// thrown away then). Files the printer refused go aside, never away.
int DownloadJournal(Messaging& messaging, const char* path);

}  // namespace kestrel
