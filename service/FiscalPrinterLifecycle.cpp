// Open, claim, enable, release and close. Opening reads the configuration
// but neither opens the port nor talks to the printer; claiming opens the
// port; enabling is the first exchange with the printer.
#include <clocale>
#include <cstdio>

#include "config/Settings.h"
#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "serial/RS232.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {

void FiscalPrinter::ResetForOpen(EventSink* sink) {
  controlObject_ = sink;
  resultCode_ = 0;
  resultCodeExtended_ = 0;
  claimed_ = false;
  deviceEnabled_ = false;
  errorLevel_ = opos::kErrorLevelNone;
  errorState_ = opos::kPrinterStateLocked;
  checkHealthText_.clear();
  fiscalReceiptType_ = opos::kReceiptTypeSales;
  freezeEvents_ = true;
  checkStateDisabled_ = false;
  displayItemDisabled_ = false;
  singleCashReceipt_ = true;
  v7Protocol_ = false;
  currentStation_ = kStationReceipt;
  lineDisplayRows_ = kDefaultLineDisplayRows;
  receiptStatus_ = opos::kSueRecPaperOk;
  dateType_ = opos::kDateTypeRtc;
  // Opening again without closing replaces both buffers; the old ones go.
  pendingVatTable_.reset();
  receiptId_.emplace();
  ownCancelCode_ = 0;
  ownCancelText_.clear();
  totalStepsLeft_ = 0;
}

int32_t FiscalPrinter::OpenService(const char* deviceClass, const char* deviceName, EventSink* sink, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::OpenService", result);
  ResetForOpen(sink);

  // Only the first class of the process selects the profile key.
  Settings::Instance().SetDeviceClass(deviceClass);
  Log& log = Log::Instance();
  log.LoadSettings();
  log.Write("", "%s", "");  // a line with the time alone marks each opening
  log.Write("FiscalPrinter::OpenService", "%s; %s; %d", Text(deviceClass), Text(deviceName),
            opos::kServiceObjectVersion);
  Journal::Instance().LoadPaths();
  // A journal save a killed process left half done is finished first.
  Journal::Instance().Settle();

  // Naming each process-wide object also creates the ones not yet in use.
  log.Write("FiscalPrinter::OpenService", "FiscalPrinter %p", static_cast<void*>(this));
  log.Write("FiscalPrinter::OpenService", "Journal %p", static_cast<void*>(&Journal::Instance()));
  log.Write("FiscalPrinter::OpenService", "Log %p", static_cast<void*>(&log));
  log.Write("FiscalPrinter::OpenService", "Messaging %p", static_cast<void*>(&Messaging::Instance()));
  log.Write("FiscalPrinter::OpenService", "RS232 %p", static_cast<void*>(&RS232::Instance()));
  log.Write("FiscalPrinter::OpenService", "Settings %p", static_cast<void*>(&Settings::Instance()));
  log.Write("FiscalPrinter::OpenService", "Tools %p", static_cast<void*>(&Tools::Instance()));
  opened_ = true;

  ReadConfiguration();
  Messaging::Instance().SetState(opos::kStateIdle);
  return Finish(kSuccess, result, nullptr, true);
}

void FiscalPrinter::ReadConfiguration() {
  SetFreezeEvents();
  // Amounts travel with "." and come back with ","; the numeric locale is
  // logged because a foreign one would be the first suspect.
  const char* locale = std::setlocale(LC_NUMERIC, nullptr);
  Log::Instance().Write("FiscalPrinter::OpenService", "Locale %s", Text(locale));
  SetStateChecking();
  SetItemDisplaying();
  SetLineDisplayRows();
  SetCashReceiptFormat();
  SetV7Protocol();
}

int32_t FiscalPrinter::ClaimDevice(int32_t timeout, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::ClaimDevice", result);
  Log::Instance().Write("FiscalPrinter::ClaimDevice", "%d", timeout);
  // No failure here is shown on the display: the port may not be ours, and
  // sending would open it behind the application's back.
  if (!opened_) return Finish(kClosed, result, text::kTextClosed, false);
  if (timeout < 0) return Finish(kIllegal, result, text::kTextBadClaimTimeout, false);
  if (Messaging::Instance().EnsurePortOpen() != kSuccess) {
    claimed_ = false;
    return Finish(kNotClaimed, result, text::kTextNotClaimed, false);
  }
  claimed_ = true;
  return Finish(kSuccess, result, nullptr, true);
}

int32_t FiscalPrinter::SetDeviceEnabled(bool enable) {
  Log::Instance().Write("FiscalPrinter::SetDeviceEnabled", "%d", enable ? 1 : 0);
  int32_t code = kDisabled;
  const char* text = nullptr;
  if (!enable) {
    deviceEnabled_ = false;  // the printer is not told
    code = kSuccess;
  } else if (!opened_) {
    code = kClosed;
    text = text::kTextClosed;
  } else if (!claimed_) {
    code = kNotClaimed;
    text = text::kTextNotClaimed;
  } else if (deviceEnabled_) {
    code = kSuccess;
  } else {
    char date[16] = {};
    Tools::FormatTime(date, sizeof date, "%d.%m.%Y", "", "");
    // Greeting in the first 20 columns, date right-aligned in the next 20:
    // one line each on the 2 x 20 display.
    char greeting[64];
    std::snprintf(greeting, sizeof greeting, "%-20s%20s", text::kTextGreeting, date);
    Messaging& messaging = Messaging::Instance();
    // Only silence means the printer is not there; an error reply comes from
    // a live printer, which is enough to enable. Without a display row the
    // greeting goes nowhere, so a status question asks instead.
    const int answer = lineDisplayRows_ > 0 ? messaging.DisplayText(greeting, lineDisplayRows_)
                                            : messaging.GetPrinterStatus(kStationReceipt);
    if (answer != kTimeout) {
      messaging.SetFirmwareVersion(v7Protocol_);
      messaging.SetSlipPresent();
      deviceEnabled_ = true;
      code = kSuccess;
    }
  }
  // With 105 the text of the failed exchange stays as ErrorString.
  return Finish(code, nullptr, text, false);
}

int32_t FiscalPrinter::ReleaseDevice(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::ReleaseDevice", result);
  Log::Instance().Write("FiscalPrinter::ReleaseDevice", "%s", "");
  Messaging& messaging = Messaging::Instance();
  if (messaging.PortOpened()) messaging.ClosePort();
  deviceEnabled_ = false;
  claimed_ = false;
  return Finish(kSuccess, result, nullptr, false);
}

int32_t FiscalPrinter::CloseService(int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::CloseService", result);
  Log::Instance().Write("FiscalPrinter::CloseService", "%s", "");
  // A device claimed and never released keeps its port, and State stays.
  Messaging& messaging = Messaging::Instance();
  if (!messaging.PortOpened()) messaging.SetState(opos::kStateClosed);
  claimed_ = false;
  deviceEnabled_ = false;
  opened_ = false;
  pendingVatTable_.reset();
  receiptId_.reset();
  if (result) *result = kSuccess;
  return kSuccess;
}

void FiscalPrinter::StoreReceiptId(const char* text) {
  if (!receiptId_) receiptId_.emplace();
  receiptId_->assign(Text(text));
  if (receiptId_->size() > kReceiptIdChars) receiptId_->resize(kReceiptIdChars);
}

}  // namespace kestrel
