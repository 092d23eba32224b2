#include "serial/PortError.h"

namespace kestrel {

const char* PortFaultText(PortFault fault) {
  switch (fault) {
    case PortFault::kNone:
      return "no fault";
    case PortFault::kNoPortName:
      return "the profile names no Port";
    case PortFault::kBadRateValue:
      return "Baudrate is not a decimal number";
    case PortFault::kNoDevice:
      return "no such device";
    case PortFault::kAccessDenied:
      return "permission denied";
    case PortFault::kHeld:
      return "port busy, held by another process";
    case PortFault::kNotSerial:
      return "not a serial device";
    case PortFault::kRateRefused:
      return "the line cannot run at this Baudrate";
    case PortFault::kOther:
      break;
  }
  return "the port cannot be used";
}

std::string PortCause(const PortError& error) {
  std::string text;
  switch (error.fault) {
    case PortFault::kBadRateValue:
      text = "Baudrate \"" + error.subject + "\" is not a decimal number";
      break;
    case PortFault::kRateRefused:
      text = "the line cannot run at Baudrate " + error.subject;
      break;
    default:
      text = PortFaultText(error.fault);
      break;
  }
  if (error.systemCode != 0) {
    text += " (" + (error.systemText.empty() ? std::string("system error") : error.systemText) + ", error " +
            std::to_string(error.systemCode) + ")";
  }
  return text;
}

std::string DescribePortError(const PortError& error) {
  const bool aboutTheRate = error.fault == PortFault::kBadRateValue || error.fault == PortFault::kRateRefused;
  if (aboutTheRate || error.subject.empty()) return PortCause(error);
  return error.subject + ": " + PortCause(error);
}

PortError MakePortError(long code, bool opening, const std::string& subject) {
  PortError error;
  error.fault = ClassifySystemError(code, opening);
  error.systemCode = code;
  error.systemText = SystemErrorText(code);
  error.subject = subject;
  return error;
}

}  // namespace kestrel
