// What the journal keeps of the receipts and documents the printer prints:
// the day's transactions flag, the last receipt's number and its journal
// blocks.
#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"

namespace kestrel {

int MarkDayTransaction(int result) {
  if (result == kSuccess) Journal::Instance().UpdateEOD("", true);
  return result;
}

int CloseReceipt(Messaging& messaging, DocumentTexts& texts) {
  // 0 when the printer could not tell the number before the close.
  int receiptNumber = 0;
  const int result = messaging.CloseTicket(false, texts, &receiptNumber);
  if (result != kSuccess) return result;
  // An unread number must not replace a good one.
  if (receiptNumber > 0) Journal::Instance().UpdateReceiptNumber(receiptNumber);
  // The first receipt of the day starts a fresh journal at the printer.
  if (!messaging.GetTrainingModeActive()) AppendJournals(messaging, receiptNumber == 1);
  return kSuccess;
}

int StoredReceiptNumber() {
  // The daily log shows this as the receipt number query not put to the printer.
  Log::Instance().Write("Messaging::GetReceiptNumber", "%d", 0);
  return Journal::Instance().GetReceiptNumber();
}

}  // namespace kestrel
