// Reports and the day closure: X and Z report, detailed and summary reports
// over closure numbers or dates.
#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int32_t kReportByDate = 2;  // FPTR_RT_DATE

}  // namespace

int32_t FiscalPrinter::PrintXReport(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintXReport", result);
  Log::Instance().Write("FiscalPrinter::PrintXReport", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  // Reports are printed only between documents, whatever the state checking says.
  CheckRecStatus(0, kStationReceipt);
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);
  return Finish(Messaging::Instance().Report(false), result, nullptr, true);
}

int32_t FiscalPrinter::PrintZReport(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintZReport", result);
  Log::Instance().Write("FiscalPrinter::PrintZReport", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  CheckRecStatus(0, kStationReceipt);
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);

  Messaging& messaging = Messaging::Instance();
  const int32_t code = messaging.Report(true);
  if (code == kSuccess) {
    // The day is closed at the printer: take its last journal records and
    // start the service's own day afresh. A refused report touches nothing.
    Journal& journal = Journal::Instance();
    AppendJournals(messaging, true);
    journal.ResetCheckCode(Journal::kBinary);
    journal.ResetCheckCode(Journal::kText);
    journal.ResetEOD();
    journal.ResetReceiptNumber();
    UpdateHeader(messaging);
  }
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintReport(int32_t reportType, const char* startNum, const char* endNum, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintReport", result);
  Log::Instance().Write("FiscalPrinter::PrintReport", "%ld; %s; %s", static_cast<long>(reportType), Text(startNum),
                        Text(endNum));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  CheckRecStatus(0, kStationReceipt);
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);

  Messaging& messaging = Messaging::Instance();
  const int32_t code = reportType == kReportByDate ? messaging.ReportDetailedByDate(Text(startNum), Text(endNum))
                                                   : messaging.ReportDetailedByNum(Text(startNum), Text(endNum));
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::PrintPeriodicTotalsReport(const char* date1, const char* date2, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintPeriodicTotalsReport", result);
  Log::Instance().Write("FiscalPrinter::PrintPeriodicTotalsReport", "%s; %s", Text(date1), Text(date2));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  CheckRecStatus(0, kStationReceipt);
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);

  // Two dates give a summary by date; two texts that are not dates are
  // tried as closure numbers.
  Messaging& messaging = Messaging::Instance();
  int32_t code = messaging.ReportSummaryByDate(Text(date1), Text(date2));
  if (code == kIllegal) code = messaging.ReportSummaryByNum(Text(date1), Text(date2));
  return Finish(code, result, nullptr, true);
}

}  // namespace kestrel
