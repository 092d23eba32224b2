#pragma once
// The platform seam under RS232: one serial device, operated the way the
// Win32 communications API operates a COM port. SerialDevice_win32.cpp maps it
// onto that API one call for one call; SerialDevice_posix.cpp onto termios.
// Tests put a scripted device in its place (RS232::SetDeviceFactoryForTests).
#include <cstddef>
#include <memory>

#include "serial/PortError.h"

namespace kestrel {

// The line settings record RS232 builds from zero for every SetParams.
// Members left at their zero value mean "off": no parity, one stop bit, no
// CTS/DSR flow control, no XON/XOFF, no error or NUL replacement.
struct LineSettings {
  unsigned long baudRate = 0;
  unsigned char byteSize = 0;
  unsigned char parity = 0;    // 0 = none
  unsigned char stopBits = 0;  // 0 = one stop bit
  bool dtrEnable = false;      // DTR raised while the port is open
  bool rtsEnable = false;      // RTS raised while the port is open
  bool txContinueOnXoff = false;
};

// Driver time-outs in milliseconds, as the Win32 COMMTIMEOUTS record holds them.
struct LineTimeouts {
  unsigned long readInterval = 0;
  unsigned long readTotalMultiplier = 0;
  unsigned long readTotalConstant = 0;
  unsigned long writeTotalMultiplier = 0;
  unsigned long writeTotalConstant = 0;
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Opens the named device for reading and writing, refusing a device that
  // another program holds. False when it cannot be opened.
  virtual bool Open(const char* name) = 0;
  virtual bool IsOpen() const = 0;
  // The handle as the log shows it; all bits set (ffffffff) while closed.
  virtual unsigned long HandleValue() const = 0;
  virtual void Close() = 0;

  // Driver queue sizes; a platform that has no such setting accepts them.
  virtual bool SetQueueSizes(unsigned long input, unsigned long output) = 0;
  // False when the device refuses the settings (a baud rate it lacks).
  virtual bool SetLineSettings(const LineSettings& settings) = 0;
  virtual bool SetTimeouts(const LineTimeouts& timeouts) = 0;
  virtual bool SetEventMask(unsigned long mask) = 0;

  virtual bool PurgeInput() = 0;
  virtual bool PurgeOutput() = 0;
  // One synchronous write; the number of bytes written (0 on failure).
  virtual std::size_t Write(const void* bytes, std::size_t count) = 0;
  // Reads at most count bytes that are already queued; the number read.
  virtual std::size_t Read(void* bytes, std::size_t count) = 0;
  // Clears a pending line error and answers the number of bytes waiting in
  // the input queue (0 when it cannot tell).
  virtual std::size_t QueuedInput() = 0;

  // Why the last Open or SetLineSettings failed (fault kNone when it did not,
  // or when the device cannot tell).
  virtual PortError LastError() const { return {}; }
};

// The device of the platform the library was built for.
std::unique_ptr<SerialDevice> CreatePlatformSerialDevice();

}  // namespace kestrel
