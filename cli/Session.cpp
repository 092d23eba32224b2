#include "cli/Session.h"

#include <ostream>

#include "cli/CancelOpen.h"
#include "cli/Profile.h"
#include "serial/PortError.h"
#include "serial/RS232.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

// The serial link takes a port name of at most this many characters.
constexpr std::size_t kMaxPortCharacters = 29;

}  // namespace

const char* EventName(int status) {
  switch (status) {
    case opos::kSueCoverOpen:
      return "cover open";
    case opos::kSueRecEmpty:
      return "receipt paper out";
    case opos::kSueRecNearEmpty:
      return "receipt paper near its end";
    case opos::kSueRecPaperOk:
      return "receipt paper ok";
    case opos::kSueSlpEmpty:
      return "no slip inserted";
    case opos::kSueSlpPaperOk:
      return "slip inserted";
    default:
      return "";
  }
}

void DescribingSink::SOStatusUpdate(int status) {
  err_ << "kestrel: printer event " << status << ": " << EventName(status) << std::endl;
}

Session::Session(std::ostream& err) : err_(err), sink_(err) {}

Session::~Session() { Stop(); }

bool Session::Start(const std::string& deviceClass) {
  if (!CheckProfileFile(err_)) return false;
  int32_t result = 0;
  printer_.OpenService(Tools::Utf8ToCp1250(deviceClass).c_str(), "Kestrel", &sink_, &result);
  opened_ = true;
  if (!CheckProfileKey(err_)) return false;
  WarnWithoutDataDirectory(err_);
  const std::string port = ProfileValue("Port");
  if (printer_.ClaimDevice(0, &result) != kSuccess) {
    const PortError& cause = RS232::Instance().LastPortError();
    if (cause.fault == PortFault::kNoPortName && port.size() > kMaxPortCharacters) {
      err_ << "kestrel: the Port value " << port << " is too long: it holds at most " << kMaxPortCharacters
           << " characters" << std::endl;
    } else if (cause.fault == PortFault::kNoPortName || port.empty()) {
      err_ << "kestrel: the profile " << ProfilePath()
           << " names no Port for device class "
              " << deviceClass << "
              ""
           << std::endl;
    } else if (cause.fault == PortFault::kNone) {
      err_ << "kestrel: cannot open the printer's port " << port << " [" << LastResult() << "]" << std::endl;
    } else {
      // The system's words come in the service's code page (Windows: ANSI).
      err_ << "kestrel: cannot open the printer's port " << port << ": " << Tools::Cp1250ToUtf8(PortCause(cause))
           << " [" << LastResult() << "]" << std::endl;
    }
    return false;
  }
  if (printer_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1) != kSuccess) {
    err_ << "kestrel: the printer on " << port << " does not answer (" << LastResult() << ")" << std::endl;
    return false;
  }
  return true;
}

void Session::Stop() {
  if (!opened_) return;
  opened_ = false;
  int32_t result = 0;
  printer_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0);
  printer_.ReleaseDevice(&result);
  printer_.CloseService(&result);
}

int32_t Session::Number(int32_t index) {
  int32_t value = 0;
  printer_.GetPropertyNumber(index, &value);
  return value;
}

std::string Session::Text(int32_t index) {
  std::string value;
  printer_.GetPropertyString(index, &value);
  return Tools::Cp1250ToUtf8(value);
}

std::string Session::LastResult() {
  const int32_t code = Number(opos::pidx::kResultCode);
  std::string text = std::to_string(code);
  if (code == kExtended) text += " (" + std::to_string(Number(opos::pidx::kResultCodeExtended)) + ")";
  if (code != kSuccess) {
    const std::string error = Text(opos::pidx::kErrorString);
    if (!error.empty()) text += " " + error;
  }
  return text;
}

bool Session::Failed(int32_t code, const std::string& what) {
  if (code == kSuccess) return false;
  err_ << "kestrel: " << what << " failed: " << LastResult() << std::endl;
  // A wrong state most often means a document that something else left open.
  if (Number(opos::pidx::kResultCode) == kExtended && Number(opos::pidx::kResultCodeExtended) == kWrongState) {
    const std::string open = DescribeOpenWork(printer_);
    if (!open.empty()) err_ << "kestrel: " << open << std::endl;
  }
  return true;
}

}  // namespace kestrel::cli
