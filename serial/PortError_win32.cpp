// GetLastError on the way to a COM port: CreateFileA and SetCommState.
#include <windows.h>

#include "serial/PortError.h"

namespace kestrel {

std::string SystemErrorText(long code) {
  char buffer[512] = {};
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code),
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer - 1, nullptr);
  std::string text(buffer, length < sizeof buffer ? length : 0);
  // The system's messages end in a full stop and CR LF.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

PortFault ClassifySystemError(long code, bool opening) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
      return PortFault::kNoDevice;
    case ERROR_ACCESS_DENIED:
      // A COM port that another program has open answers "access denied".
      return opening ? PortFault::kHeld : PortFault::kAccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
      return PortFault::kHeld;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_HANDLE:
      // The communications calls on a handle that is no serial device.
      return opening ? PortFault::kOther : PortFault::kNotSerial;
    case ERROR_INVALID_PARAMETER:
      // SetCommState refuses a rate the port lacks; the rest of the line
      // settings are fixed and valid.
      return opening ? PortFault::kOther : PortFault::kRateRefused;
    default:
      return PortFault::kOther;
  }
}

}  // namespace kestrel
