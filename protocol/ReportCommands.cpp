// The printer's reports: X and Z (day closure) report, and the summary and
// detailed reports over closure numbers or dates.
#include <cstddef>
#include <cstring>
#include <string>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "protocol/PrinterDates.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr int kDailyReportTimeout = reply_timeout::kLong;
constexpr int kRangeReportTimeout = reply_timeout::kRangeReport;
constexpr long kFirstClosure = 1;
constexpr long kLastClosure = 999999;
constexpr std::size_t kReportDateSize = 9;  // "%Y%m%d" and the terminator

// A closure number: decimal digits only, within the printer's range.
bool IsClosureNumber(const char* text) {
  if (text == nullptr || text[0] == '\0') return false;
  long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
    if (value > kLastClosure) return false;  // also keeps a long text from overflowing
  }
  return value >= kFirstClosure;
}

const char* Shown(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

int Messaging::Report(bool z) {
  Log::Instance().Write("Messaging::Report", "%d", z ? 1 : 0);
  const std::string stamp = printer_dates::StampWithWeekday();
  CreatePacketOut("P15", kPacketTypeCommand);
  AddPacketOutField(z ? "2" : "1");
  AddPacketOutField(stamp.c_str());
  AddPacketOutText("", true, 40);
  ClosePacketOut();
  return SendReceive(kDailyReportTimeout);
}

namespace {

// Sends one range report: the constant "1" and the two bounds.
int SendRangeReport(Messaging& messaging, const char* code, const char* from, const char* to) {
  messaging.CreatePacketOut(code, kPacketTypeCommand);
  messaging.AddPacketOutField("1");
  messaging.AddPacketOutField(from);
  messaging.AddPacketOutField(to);
  messaging.ClosePacketOut();
  return messaging.SendReceive(kRangeReportTimeout);
}

int ReportByNumbers(Messaging& messaging, const char* tag, const char* code, const char* from, const char* to) {
  Log::Instance().Write(tag, "%s; %s", Shown(from), Shown(to));
  if (!IsClosureNumber(from) || !IsClosureNumber(to)) return kIllegal;
  return SendRangeReport(messaging, code, from, to);
}

int ReportByDates(Messaging& messaging, const char* tag, const char* code, const char* from, const char* to) {
  Log::Instance().Write(tag, "%s; %s", Shown(from), Shown(to));
  char first[kReportDateSize];
  char last[kReportDateSize];
  if (printer_dates::ConvertInterfaceDate(from, "%Y%m%d", first, sizeof first) != kSuccess ||
      printer_dates::ConvertInterfaceDate(to, "%Y%m%d", last, sizeof last) != kSuccess) {
    return kIllegal;
  }
  return SendRangeReport(messaging, code, first, last);
}

}  // namespace

int Messaging::ReportSummaryByNum(const char* from, const char* to) {
  return ReportByNumbers(*this, "Messaging::ReportSummaryByNum", "P16", from, to);
}

int Messaging::ReportSummaryByDate(const char* from, const char* to) {
  return ReportByDates(*this, "Messaging::ReportSummaryByDate", "P17", from, to);
}

int Messaging::ReportDetailedByNum(const char* from, const char* to) {
  return ReportByNumbers(*this, "Messaging::ReportDetailedByNum", "P18", from, to);
}

int Messaging::ReportDetailedByDate(const char* from, const char* to) {
  return ReportByDates(*this, "Messaging::ReportDetailedByDate", "P19", from, to);
}

}  // namespace kestrel
