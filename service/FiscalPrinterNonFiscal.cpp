// Non-fiscal documents and the slip station: a document of free text between
// the logo with the stored header and the trailer with the cut, and the
// insertion and removal of a slip, watched through the slip sensor.
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "service/PrinterJournal.h"
#include "tools/Clock.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int32_t kStationJournal = 1;         // FPTR_S_JOURNAL
constexpr int32_t kStationJournalReceipt = 3;  // FPTR_S_JOURNAL_RECEIPT
constexpr int kSlipPollMs = 500;
// Raw printer sequences: bold off; slip as the paper printed on; form feed
// to eject the slip and the receipt roll as the paper printed on.
constexpr char kBoldOff[] = "1B4500";
constexpr char kSelectSlip[] = "1B6330041B1601";
constexpr char kEjectSlip[] = "0C1B6330011B1600";

}  // namespace

int32_t FiscalPrinter::BeginNonFiscal(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::BeginNonFiscal", result);
  Log::Instance().Write("FiscalPrinter::BeginNonFiscal", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  CheckRecStatus(0, currentStation_);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateMonitor))
    return Finish(kKeepRecordedResult, result, nullptr, true);

  Messaging& messaging = Messaging::Instance();
  // Its refusal does not matter; a printer that does not answer it gets no document.
  if (currentStation_ == kStationReceipt && messaging.SetPrinter(kBoldOff) == kTimeout) {
    return Finish(kTimeout, result, nullptr, true);
  }
  JournalTexts texts(messaging);
  return Finish(messaging.StartNonFiscal(currentStation_, texts), result, nullptr, true);
}

int32_t FiscalPrinter::PrintNormal(int32_t station, const char* data, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintNormal", result);
  Log::Instance().Write("FiscalPrinter::PrintNormal", "%ld", static_cast<long>(station));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  Messaging& messaging = Messaging::Instance();
  int32_t code = kSuccess;
  if (station == kStationJournal || station == kStationJournalReceipt) {
    // The printer keeps its journal itself: nothing to print.
  } else if (station == kStationSlip) {
    // Slip text goes out only while a slip is selected.
    if (currentStation_ == kStationSlip) code = messaging.PrintSlip(Text(data));
  } else {
    code = messaging.PrintLines(Text(data), false);
  }
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::EndNonFiscal(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::EndNonFiscal", result);
  Log::Instance().Write("FiscalPrinter::EndNonFiscal", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateNonFiscal))
    return Finish(kKeepRecordedResult, result, nullptr, true);
  Messaging& messaging = Messaging::Instance();
  JournalTexts texts(messaging);
  return Finish(messaging.EndNonFiscal(currentStation_, texts), result, nullptr, true);
}

int32_t FiscalPrinter::BeginInsertion(int32_t timeout, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::BeginInsertion", result);
  Log::Instance().Write("FiscalPrinter::BeginInsertion", "%ld", static_cast<long>(timeout));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (timeout <= 0) return Finish(kIllegal, result, nullptr, true);

  // A printer that does not answer the sensor is not asked again and again.
  const int32_t polls = timeout / kSlipPollMs;
  if (CheckRecStatus(0, kStationSlip) == kTimeout) return Finish(kTimeout, result, nullptr, true);
  for (int32_t waits = 0; slipStatus_ != opos::kSueSlpPaperOk && waits < polls; ++waits) {
    clock::SleepMs(kSlipPollMs);
    if (CheckRecStatus(0, kStationSlip) == kTimeout) return Finish(kTimeout, result, nullptr, true);
  }
  if (slipStatus_ != opos::kSueSlpPaperOk) return Finish(kTimeout, result, nullptr, true);

  const int32_t code = Messaging::Instance().SetPrinter(kSelectSlip);
  if (code == kSuccess) currentStation_ = kStationSlip;
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::EndInsertion(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::EndInsertion", result);
  Log::Instance().Write("FiscalPrinter::EndInsertion", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  CheckRecStatus(0, kStationSlip);
  return Finish(slipStatus_ == opos::kSueSlpEmpty ? kSlipEmpty : kSuccess, result, nullptr, true);
}

int32_t FiscalPrinter::BeginRemoval(int32_t timeout, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::BeginRemoval", result);
  Log::Instance().Write("FiscalPrinter::BeginRemoval", "%ld", static_cast<long>(timeout));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (timeout <= 0) return Finish(kIllegal, result, nullptr, true);

  const int32_t ejected = Messaging::Instance().SetPrinter(kEjectSlip);
  if (ejected != kSuccess) return Finish(ejected, result, nullptr, true);
  currentStation_ = kStationReceipt;

  const int32_t polls = timeout / kSlipPollMs;
  if (CheckRecStatus(0, kStationSlip) == kTimeout) return Finish(kTimeout, result, nullptr, true);
  for (int32_t waits = 0; slipStatus_ != opos::kSueSlpEmpty && waits < polls; ++waits) {
    clock::SleepMs(kSlipPollMs);
    if (CheckRecStatus(0, kStationSlip) == kTimeout) return Finish(kTimeout, result, nullptr, true);
  }
  return Finish(slipStatus_ == opos::kSueSlpEmpty ? kSuccess : kTimeout, result, nullptr, true);
}

int32_t FiscalPrinter::EndRemoval(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::EndRemoval", result);
  Log::Instance().Write("FiscalPrinter::EndRemoval", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  CheckRecStatus(0, kStationSlip);
  return Finish(slipStatus_ == opos::kSueSlpPaperOk ? kSlipForm : kSuccess, result, nullptr, true);
}

}  // namespace kestrel
