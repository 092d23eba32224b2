// The customer display methods and the electronic journal methods: printing
// the printer's journal and saving it to a file of the application's choice.
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr int32_t kDisplayColumns = 20;
constexpr std::size_t kBlankDisplayChars = 80;  // more than any display holds

}  // namespace

int32_t FiscalPrinter::DisplayText(const char* data, int32_t attribute, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::DisplayText", result);
  Log::Instance().Write("FiscalPrinter::DisplayText", "%s; %ld", Text(data), static_cast<long>(attribute));
  // The display works as soon as the port is ours; enabling is not needed.
  if (!opened_) return Finish(kClosed, result, text::kTextClosed, false);
  if (!claimed_) return Finish(kNotClaimed, result, text::kTextNotClaimed, false);
  return Finish(Messaging::Instance().DisplayText(Text(data), lineDisplayRows_), result, nullptr, false);
}

int32_t FiscalPrinter::DisplayTextAt(int32_t row, int32_t column, const char* data, int32_t attribute,
                                     int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::DisplayTextAt", result);
  Log::Instance().Write("FiscalPrinter::DisplayTextAt", "%ld; %ld; %s; %ld", static_cast<long>(row),
                        static_cast<long>(column), Text(data), static_cast<long>(attribute));
  if (!opened_) return Finish(kClosed, result, text::kTextClosed, false);
  if (!claimed_) return Finish(kNotClaimed, result, text::kTextNotClaimed, false);
  const int32_t rows = lineDisplayRows_ < kMaxDisplayRows ? lineDisplayRows_ : kMaxDisplayRows;
  if (row < 0 || row >= rows || column < 0 || column >= kDisplayColumns) {
    return Finish(kIllegal, result, text::kTextBadValue, false);
  }
  Messaging& messaging = Messaging::Instance();
  // From the top-left corner the whole display is rewritten.
  const int32_t code = row == 0 && column == 0 ? messaging.DisplayText(Text(data), lineDisplayRows_)
                                               : messaging.DisplayTextAt(Text(data), row, column);
  return Finish(code, result, nullptr, false);
}

int32_t FiscalPrinter::ClearText(int32_t* result) {
  Log::Instance().Write("FiscalPrinter::ClearText", "%s", "");
  return DisplayText(std::string(kBlankDisplayChars, ' ').c_str(), 0, result);
}

int32_t FiscalPrinter::DestroyWindow(int32_t* result) {
  Log::Instance().Write("FiscalPrinter::DestroyWindow", "%s", "");
  return DisplayText(std::string(kBlankDisplayChars, ' ').c_str(), 0, result);
}

int32_t FiscalPrinter::PrintContent(const char* fromMarker, const char* toMarker, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::PrintContent", result);
  Log::Instance().Write("FiscalPrinter::PrintContent", "%s; %s", Text(fromMarker), Text(toMarker));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  // The printer prints its whole journal; markers do not narrow it.
  return Finish(Messaging::Instance().PrintJournal(), result, nullptr, true);
}

int32_t FiscalPrinter::PrintContentFile(const char* fileName, int32_t* result) {
  Log::Instance().Write("FiscalPrinter::PrintContentFile", "%s", Text(fileName));
  return PrintContent("", "", result);
}

int32_t FiscalPrinter::QueryContent(const char* fileName, const char* fromMarker, const char* toMarker,
                                    int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::QueryContent", result);
  Log::Instance().Write("FiscalPrinter::QueryContent", "%s; %s; %s", Text(fileName), Text(fromMarker), Text(toMarker));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);
  return Finish(DownloadJournal(Messaging::Instance(), Text(fileName)), result, nullptr, true);
}

}  // namespace kestrel
