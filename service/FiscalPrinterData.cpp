// Data, date, totaliser and VAT queries, the printer clock, training mode and
// the reset to idle.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/PrinterDates.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr std::size_t kAnswerChars = 100;
constexpr std::size_t kStampChars = 14;  // "%Y%m%d%H%M%S"
constexpr std::size_t kVatRateChars = 10;
constexpr int kConfigurationDateItem = 13;
constexpr int kPrinterIdItem = 15;
constexpr int kPrinterTextItem = 16;
constexpr int kVatItemBase = 50;

// GetTotalizer's OptArgs.
constexpr int32_t kTotalNet = 2;           // FPTR_GT_NET
constexpr int32_t kTotalVat = 16;          // FPTR_GT_VAT
constexpr int32_t kTotalVatCategory = 17;  // FPTR_GT_VAT_CATEGORY

std::string Amount(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A query whose printer request failed reports no reply as 112 and any
// other failure as 111, never an empty answer as success.
int32_t QueryFailure(int result) { return result == kTimeout ? kTimeout : kFailure; }

// A printer text read into at most kAnswerChars characters.
int ReadText(int (Messaging::*read)(int, char*, int), int index, std::string& answer) {
  char buffer[kAnswerChars + 1] = {};
  const int result = (Messaging::Instance().*read)(index, buffer, static_cast<int>(sizeof buffer));
  answer = buffer;
  return result;
}

// The answer to one GetData item; the result of the printer request.
int DataItem(int32_t item, std::string& answer) {
  Messaging& messaging = Messaging::Instance();
  answer.clear();
  switch (item) {
    case opos::gd::kCurrentTotal: {
      double subtotal = 0;
      const int result = messaging.AskReceiptSubtotal(subtotal);
      if (result != kSuccess) return QueryFailure(result);
      answer = Amount(subtotal);
      return kSuccess;
    }
    case 2: {  // FPTR_GD_DAILY_TOTAL, known only between documents
      int state = 0;
      int result = messaging.AskFiscalPrinterState(state);
      if (result != kSuccess) return QueryFailure(result);
      if (state != kPrinterStateMonitor) return kSuccess;
      double total = 0;
      result = messaging.AskDailyTotal(total);
      if (result != kSuccess) return QueryFailure(result);
      answer = Amount(total);
      return kSuccess;
    }
    case opos::gd::kReceiptNumber: {
      int state = 0;
      const int result = messaging.AskFiscalPrinterState(state);
      if (result != kSuccess) return QueryFailure(result);
      if (state == kPrinterStateMonitor || state == kPrinterStateNonFiscal) {
        answer = std::to_string(StoredReceiptNumber());
      } else if (state >= kPrinterStateFiscalReceipt && state <= kPrinterStateFiscalReceiptEnding) {
        int number = 0;
        const int asked = messaging.AskPrinterReceiptNumber(number);
        if (asked != kSuccess) return QueryFailure(asked);
        answer = std::to_string(number);
      }
      return kSuccess;
    }
    case opos::gd::kZReport:
      return ReadText(&Messaging::ReadOperatingData, 1, answer);
    case opos::gd::kPrinterId:
      return ReadText(&Messaging::ReadFiscalData, kPrinterIdItem, answer);
    case opos::gd::kFirmware:
      return ReadText(&Messaging::ReadOperatingData, 0, answer);
    case 50:
      return ReadText(&Messaging::ReadOperatingData, 7, answer);
    case 51:
      return ReadText(&Messaging::ReadOperatingData, 8, answer);
    case 52:
      return ReadText(&Messaging::ReadOperatingData, 9, answer);
    case opos::gd::kAmountLeft:
      answer = Amount(messaging.GetReceiptAmountLeft());
      return kSuccess;
    case 54:
      answer = Amount(messaging.GetReceiptItemAmount());
      return kSuccess;
    case opos::gd::kDayClosureRequired:
    case 56:
    case 57: {
      bool flag = false;
      const int result = item == opos::gd::kDayClosureRequired ? messaging.AskEODRequired(flag)
                         : item == 56                          ? messaging.AskServiceConfirmRequired(flag)
                                                               : messaging.AskMemNearFullConfirmRequired(flag);
      if (result != kSuccess) return QueryFailure(result);
      answer = flag ? "1" : "0";
      return kSuccess;
    }
    case 58:
      return ReadText(&Messaging::ReadFiscalData, kPrinterTextItem, answer);
    default:
      return kSuccess;  // unknown items answer an empty text
  }
}

}  // namespace

int32_t FiscalPrinter::GetData(int32_t dataItem, int32_t* optArgs, std::string* data, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::GetData", result);
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::GetData", "%ld", static_cast<long>(dataItem));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (data == nullptr) return Finish(kIllegal, result, text::kTextBadValue, false);
  if (optArgs != nullptr) *optArgs = 0;

  std::string answer;
  const int32_t code = DataItem(dataItem, answer);
  if (answer.size() > kAnswerChars) answer.resize(kAnswerChars);
  log.Write("FiscalPrinter::GetData", "returned %s", answer.c_str());
  *data = answer;
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::GetDate(std::string* date, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::GetDate", result);
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::GetDate", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (date == nullptr) return Finish(kIllegal, result, text::kTextBadValue, false);

  Messaging& messaging = Messaging::Instance();
  char stamp[kStampChars + 1] = {};
  int32_t code = dateType_ == opos::kDateTypeConf
                     ? messaging.ReadFiscalData(kConfigurationDateItem, stamp, static_cast<int>(sizeof stamp))
                     : messaging.SetDate(nullptr, true, stamp);
  char converted[16] = {};
  if (code == kSuccess) code = printer_dates::ConvertPrinterStamp(stamp, converted, sizeof converted);
  *date = code == kSuccess ? converted : "";
  log.Write("FiscalPrinter::GetDate", "returned %s", date->c_str());
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::SetDate(const char* date, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetDate", result);
  Log::Instance().Write("FiscalPrinter::SetDate", "%s", Text(date));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  return Finish(Messaging::Instance().SetDate(Text(date), false, nullptr), result, nullptr, true);
}

int32_t FiscalPrinter::GetTotalizer(int32_t vatId, int32_t optArgs, std::string* data, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::GetTotalizer", result);
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::GetTotalizer", "%ld; %ld", static_cast<long>(vatId), static_cast<long>(optArgs));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!CheckVatID(vatId)) return Finish(kKeepRecordedResult, result, nullptr, true);
  if (data == nullptr) return Finish(kIllegal, result, text::kTextBadValue, false);

  // The VAT recapitulation of the last receipt, kept in memory.
  Messaging& messaging = Messaging::Instance();
  const int group = vatId - 1;
  std::string answer;
  if (optArgs == kTotalNet) {
    answer = Amount(messaging.GetVatSummaryValue(group, 1));
  } else if (optArgs == kTotalVat) {
    answer = Amount(messaging.GetVatSummaryValue(group, 2));
  } else if (optArgs == kTotalVatCategory) {
    char text[64];
    std::snprintf(text, sizeof text, "%c%.0f", static_cast<char>('A' + group), messaging.GetVatSummaryValue(group, 0));
    answer = text;
  }
  log.Write("FiscalPrinter::GetTotalizer", "returned %s", answer.c_str());
  *data = answer;
  return Finish(kSuccess, result, nullptr, true);
}

int32_t FiscalPrinter::GetVatEntry(int32_t vatId, int32_t optArgs, int32_t* vatRate, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::GetVatEntry", result);
  Log& log = Log::Instance();
  log.Write("FiscalPrinter::GetVatEntry", "%ld; %ld", static_cast<long>(vatId), static_cast<long>(optArgs));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!CheckVatID(vatId)) return Finish(kKeepRecordedResult, result, nullptr, true);
  if (vatRate == nullptr) return Finish(kIllegal, result, text::kTextBadValue, false);

  *vatRate = 0;
  char rate[kVatRateChars + 1] = {};
  const int32_t code = Messaging::Instance().ReadFiscalData(kVatItemBase + vatId, rate, static_cast<int>(sizeof rate));
  if (code == kSuccess) {
    *vatRate = static_cast<int32_t>(std::strtol(rate, nullptr, 10));
    log.Write("FiscalPrinter::GetVatEntry", "returned %ld", static_cast<long>(*vatRate));
  }
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::BeginTraining(int32_t* result) {
  return SwitchTraining("FiscalPrinter::BeginTraining", true, result);
}

int32_t FiscalPrinter::EndTraining(int32_t* result) {
  return SwitchTraining("FiscalPrinter::EndTraining", false, result);
}

int32_t FiscalPrinter::SwitchTraining(const char* tag, bool on, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered(tag, result);
  Log::Instance().Write(tag, "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  if (!CheckPrinterState(kPrinterStateMonitor)) return Finish(kKeepRecordedResult, result, nullptr, true);

  Messaging& messaging = Messaging::Instance();
  bool active = false;
  const int asked = messaging.AskTrainingModeActive(active);
  if (asked != kSuccess) return Finish(QueryFailure(asked), result, nullptr, true);
  return Finish(active == on ? kSuccess : messaging.TrainingMode(on), result, nullptr, true);
}

int32_t FiscalPrinter::ResetPrinter(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::ResetPrinter", result);
  Log::Instance().Write("FiscalPrinter::ResetPrinter", "%s", "");
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  // Back to idle whatever the printer was doing; each step does what it can,
  // and a refusal does not stop the next. A printer that does not answer is
  // sent nothing more, and its silence is no success.
  Messaging& messaging = Messaging::Instance();
  JournalTexts texts(messaging);
  ownCancelCode_ = 0;
  totalStepsLeft_ = 0;
  if (messaging.CancelCommand() == kTimeout) return Finish(kTimeout, result, nullptr, true);
  int state = kPrinterStateMonitor;
  if (AskPrinterState(state) == kTimeout) return Finish(kTimeout, result, nullptr, true);
  if (state != kPrinterStateMonitor && SettleOutcome(messaging.CloseTicket(true, texts)) == kTimeout) {
    return Finish(kTimeout, result, nullptr, true);
  }
  if (messaging.GetFiscalPrinterState(false) != kPrinterStateMonitor &&
      messaging.EndNonFiscal(currentStation_, texts) == kTimeout) {
    return Finish(kTimeout, result, nullptr, true);
  }
  bool training = false;
  const int asked = messaging.AskTrainingModeActive(training);
  if (asked == kTimeout) return Finish(kTimeout, result, nullptr, true);
  if (training && messaging.TrainingMode(false) == kTimeout) return Finish(kTimeout, result, nullptr, true);
  return Finish(kSuccess, result, nullptr, true);
}

}  // namespace kestrel
