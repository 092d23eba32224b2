// Result recording, status events and COFreezeEvents. Every method of the
// service ends in SetError: it is the one place where ResultCode,
// ResultCodeExtended, ErrorString, ErrorLevel, ErrorState and State change.
#include <cstring>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"

namespace kestrel {

int32_t FiscalPrinter::SetError(int32_t code, int32_t* result, const char* text, bool display) {
  Messaging& messaging = Messaging::Instance();
  Log::Instance().Write("FiscalPrinter::SetError", "%d", code);

  // A negative code keeps what a precondition test or an earlier step recorded.
  if (code >= 0) {
    if (code > 200) {
      resultCode_ = kExtended;
      resultCodeExtended_ = code;
      // A cover or paper failure is also a status change the application hears about.
      if (code == kCoverOpen || code == kReceiptEmpty) CheckRecStatus(code, currentStation_);
    } else if (code > 100) {
      resultCode_ = code;
      resultCodeExtended_ = 0;
    } else {
      resultCode_ = kSuccess;
      resultCodeExtended_ = 0;
      messaging.SetErrorMessage("");
    }
    if (text) messaging.SetErrorMessage(text);
  }

  int32_t reported;
  if (resultCodeExtended_ > 0) {
    messaging.SetState(opos::kStateError);
    reported = resultCodeExtended_;  // the application sees 207, not 114
    errorLevel_ = code == kTechnicalAssistance ? opos::kErrorLevelBlocked : opos::kErrorLevelRecoverable;
    errorState_ = messaging.GetFiscalPrinterState(false);
  } else if (resultCode_ > 0) {
    messaging.SetState(opos::kStateError);
    reported = resultCode_;
    errorLevel_ = opos::kErrorLevelRecoverable;
    errorState_ = messaging.GetFiscalPrinterState(false);
  } else {
    messaging.SetState(opos::kStateIdle);
    reported = resultCode_;
    errorLevel_ = opos::kErrorLevelNone;
    errorState_ = 0;
  }
  if (result) *result = reported;

  // The customer sees the error too, unless the printer is silent or busy.
  // Showing it is an exchange of its own whose failure would store its own
  // text; the application must still read the error it was given.
  const char* shown = messaging.GetErrorMessage();
  if (display && claimed_ && resultCode_ != kSuccess && resultCode_ != kTimeout && resultCode_ != kBusy &&
      shown[0] != '\0') {
    char saved[kErrorTextSize];
    std::strncpy(saved, shown, sizeof saved - 1);
    saved[sizeof saved - 1] = '\0';
    messaging.DisplayText(saved, lineDisplayRows_);
    if (std::strcmp(messaging.GetErrorMessage(), saved) != 0) messaging.SetErrorMessage(saved);
  }
  return 0;
}

int32_t FiscalPrinter::Finish(int32_t code, int32_t* result, const char* text, bool display) {
  int32_t reported = 0;
  SetError(code, &reported, text, display);
  if (result) *result = reported;
  return reported;
}

int32_t FiscalPrinter::AnswerReEntered(const char* tag, int32_t* result) {
  Log::Instance().Write(tag, "Busy: called again while a call is running");
  if (result) *result = kBusy;
  return kBusy;
}

int32_t FiscalPrinter::CheckRecStatus(int32_t code, int32_t station) {
  Log::Instance().Write("FiscalPrinter::CheckRecStatus", "%d; %d", code, station);
  if (code == 0) {
    // A released port stays closed: without the claim the last known status stands.
    if (!claimed_) return kSuccess;
    code = Messaging::Instance().GetPrinterStatus(station);
  }

  int32_t* field = nullptr;
  int32_t value = 0;
  switch (code) {
    case kSuccess:
      field = &receiptStatus_;
      value = opos::kSueRecPaperOk;
      break;
    case kCoverOpen:
      field = &receiptStatus_;
      value = opos::kSueCoverOpen;
      break;
    case kReceiptEmpty:
      field = &receiptStatus_;
      value = opos::kSueRecEmpty;
      break;
    case kReceiptPaperNearEnd:
      field = &receiptStatus_;
      value = opos::kSueRecNearEmpty;
      break;
    case kSlipEmpty:
      field = &slipStatus_;
      value = opos::kSueSlpEmpty;
      break;
    case kSlipForm:
      field = &slipStatus_;
      value = opos::kSueSlpPaperOk;
      break;
    default:
      return code;  // no answer or an unknown status: the last known one stands
  }
  if (*field == value) return code;
  // Stored before the event goes out, so a handler reading the property
  // again sees the new value and fires nothing more. A frozen change is
  // recorded all the same and never reported later.
  *field = value;
  if (!freezeEvents_) FireStatusUpdateEvent(value);
  return code;
}

int32_t FiscalPrinter::FireStatusUpdateEvent(int32_t status) {
  Log::Instance().Write("FiscalPrinter::FireStatusUpdateEvent", "%d", status);
  if (controlObject_) controlObject_->SOStatusUpdate(status);
  return 0;
}

int32_t FiscalPrinter::COFreezeEvents(bool freeze, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::COFreezeEvents", result);
  Log::Instance().Write("FiscalPrinter::COFreezeEvents", "%d", freeze ? 1 : 0);
  freezeEvents_ = freeze;
  return Finish(kSuccess, result, nullptr, false);
}

}  // namespace kestrel
