#include "cli/serve/PrinterSession.h"

#include "cli/Profile.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::serve {

bool PrinterSession::Start(std::string& error) {
  int32_t result = 0;
  printer_.OpenService(Tools::Utf8ToCp1250(deviceClass_).c_str(), "Kestrel", this, &result);
  opened_ = true;
  if (printer_.ClaimDevice(0, &result) != kSuccess) {
    const std::string port = cli::ProfileValue("Port");
    error = port.empty()
                ? "the profile " + cli::ProfilePath() + " names no Port for device class \"" + deviceClass_ + "\""
                : "cannot open the printer's port " + port;
    return false;
  }
  std::string ignored;
  Enable(ignored);
  return true;
}

void PrinterSession::Stop() {
  if (!opened_) return;
  opened_ = false;
  enabled_ = false;
  int32_t result = 0;
  printer_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0);
  printer_.ReleaseDevice(&result);
  printer_.CloseService(&result);
}

bool PrinterSession::Enable(std::string& why) {
  if (printer_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1) != kSuccess) {
    why = "the printer does not answer (" + Outcome(kDisabled).text + ")";
    enabled_ = false;
    return false;
  }
  enabled_ = true;
  silent_ = false;
  return true;
}

bool PrinterSession::EnsureOnline(std::string& why) {
  if (!opened_) {
    why = "the server is stopping";
    return false;
  }
  if (!enabled_) return Enable(why);
  if (!silent_) return true;
  // A status request answers within a second when the printer is there.
  if (Number(opos::pidx::kPowerState) != opos::kPowerOnline) {
    why = "the printer does not answer";
    return false;
  }
  // Back after being silent or off: enabled afresh, as after switching on.
  printer_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0);
  enabled_ = false;
  return Enable(why);
}

void PrinterSession::Note(int32_t code) {
  if (code == kTimeout) silent_ = true;
}

CallOutcome PrinterSession::Outcome(int32_t code) {
  CallOutcome outcome;
  outcome.code = code;
  printer_.GetPropertyNumber(opos::pidx::kResultCode, &outcome.resultCode);
  printer_.GetPropertyNumber(opos::pidx::kResultCodeExtended, &outcome.extended);
  std::string text;
  printer_.GetPropertyString(opos::pidx::kErrorString, &text);
  outcome.text = Tools::Cp1250ToUtf8(text);
  return outcome;
}

int32_t PrinterSession::Number(int32_t index) {
  int32_t value = 0;
  printer_.GetPropertyNumber(index, &value);
  return value;
}

bool PrinterSession::Data(int32_t item, std::string& value) {
  int32_t optArgs = 0;
  int32_t result = 0;
  std::string data;
  const int32_t code = printer_.GetData(item, &optArgs, &data, &result);
  Note(code);
  if (code != kSuccess) return false;
  value = Tools::Cp1250ToUtf8(data);
  return true;
}

}  // namespace kestrel::serve
