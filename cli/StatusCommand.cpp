#include "cli/StatusCommand.h"

#include <ostream>

#include "cli/CancelOpen.h"
#include "cli/Profile.h"
#include "cli/Session.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

void Row(std::ostream& out, const char* label, const std::string& value) {
  std::string padded = label;
  padded += ':';
  padded.resize(16, ' ');
  out << padded << value << "\n";
}

std::string Named(const char* name, int number) {
  return std::string(*name ? name : "unknown") + " (" + std::to_string(number) + ")";
}

const char* YesNo(bool value) { return value ? "yes" : "no"; }

}  // namespace

const char* StateName(int state) {
  switch (state) {
    case opos::kStateClosed:
      return "closed";
    case opos::kStateIdle:
      return "idle";
    case 3:
      return "busy";
    case opos::kStateError:
      return "error";
    default:
      return "";
  }
}

const char* PrinterStateName(int printerState) {
  switch (printerState) {
    case 1:
      return "monitor, no document open";
    case 2:
      return "fiscal receipt open";
    case 3:
      return "fiscal receipt, payment begun";
    case 4:
      return "fiscal receipt paid, to be closed";
    case 9:
      return "non-fiscal document open";
    default:
      return "";
  }
}

int RunStatus(const std::string& deviceClass, std::ostream& out, std::ostream& err) {
  Session session(err);
  const bool reached = session.Start(deviceClass);
  Row(out, "Profile", ProfilePath());
  Row(out, "Port", ProfileValue("Port"));
  if (!reached) {
    Row(out, "Printer", "not reachable");
    out.flush();
    return 1;
  }
  Row(out, "State", Named(StateName(session.Number(opos::pidx::kState)), session.Number(opos::pidx::kState)));
  const int32_t printerState = session.Number(opos::pidx::kPrinterState);
  Row(out, "Printer state", Named(PrinterStateName(printerState), printerState));
  const std::string open = DescribeOpenWork(session.Printer());
  if (!open.empty()) Row(out, "Open", open);

  // Each of these asks the printer for its paper and cover status.
  const bool coverOpen = session.Number(opos::pidx::kCoverOpen) != 0;
  const bool paperOut = session.Number(opos::pidx::kRecEmpty) != 0;
  const bool paperLow = session.Number(opos::pidx::kRecNearEnd) != 0;
  Row(out, "Cover", coverOpen ? "open" : "closed");
  Row(out, "Receipt paper", paperOut ? "out" : paperLow ? "near its end" : "ok");

  FiscalPrinter& printer = session.Printer();
  int32_t optArgs = 0;
  int32_t result = 0;
  std::string data;
  if (printer.GetData(opos::gd::kFirmware, &optArgs, &data, &result) == kSuccess) {
    Row(out, "Firmware", Tools::Cp1250ToUtf8(data));
  } else {
    Row(out, "Firmware", "not available (" + session.LastResult() + ")");
  }
  Row(out, "Day opened", YesNo(session.Number(opos::pidx::kDayOpened) != 0));
  data.clear();
  if (printer.GetData(opos::gd::kDayClosureRequired, &optArgs, &data, &result) == kSuccess) {
    Row(out, "Day closure", data == "1" ? "required before the next receipt" : "not required");
  } else {
    Row(out, "Day closure", "not available (" + session.LastResult() + ")");
  }
  Row(out, "Training mode", session.Number(opos::pidx::kTrainingModeActive) != 0 ? "on" : "off");
  out.flush();
  return 0;
}

}  // namespace kestrel::cli
