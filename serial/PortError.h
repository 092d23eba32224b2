#pragma once
// Why the serial port could not be opened or set up, in terms a technician
// acts on: the device is missing, the user may not use it, another process
// holds it, it is no serial device, or the line cannot run at the rate. The
// operating system's own words come along (errno text on POSIX systems,
// GetLastError's message on Windows).
#include <string>

namespace kestrel {

enum class PortFault {
  kNone,
  kNoPortName,    // the profile names no Port
  kBadRateValue,  // the profile's Baudrate is not a decimal number
  kNoDevice,      // no such device
  kAccessDenied,  // the user may not open it
  kHeld,          // another process holds it
  kNotSerial,     // it opens, but is not a serial device
  kRateRefused,   // the line cannot run at the rate asked for
  kOther,         // anything else; the system's words say what
};

struct PortError {
  PortFault fault = PortFault::kNone;
  long systemCode = 0;     // errno or GetLastError(); 0 when there is none
  std::string systemText;  // the system's words for systemCode (no trailing newline)
  std::string subject;     // the port name, or the Baudrate value in question
};

// The fault in a few words ("port busy, held by another process").
const char* PortFaultText(PortFault fault);

// The cause in one line: the fault's words (with the Baudrate where it is
// the rate that is wrong) and the system's words with their number, e.g.
// "no such device (No such file or directory, error 2)".
std::string PortCause(const PortError& error);
// The same, after the port it concerns: "/dev/ttyUSB3: no such device (...)".
std::string DescribePortError(const PortError& error);

// The platform's half (PortError_posix.cpp / PortError_win32.cpp): the
// system's words for an error number, and which fault a number means when
// opening the device (opening true) or when setting the line up.
std::string SystemErrorText(long code);
PortFault ClassifySystemError(long code, bool opening);

// A PortError for the error number, classified and worded.
PortError MakePortError(long code, bool opening, const std::string& subject);

}  // namespace kestrel
