#pragma once
// RS232 owns the one serial connection to the printer: it opens the device
// named by the profile's "Port", applies the fixed line settings, writes
// request frames and collects reply frames whose CRC it checks. It knows
// nothing of commands or fields. Only Messaging calls it.
#include <cstddef>
#include <functional>
#include <memory>

#include "serial/SerialDevice.h"
#include "tools/Singleton.h"

namespace kestrel {

class RS232 : public ProcessSingleton<RS232> {
 public:
  ~RS232();

  // 0; 0 at once when already open; 101 when the device cannot be opened;
  // 111 without a "Port" value, or when the line settings are refused (the
  // device is closed again then).
  int OpenPort();
  // Queue sizes, line settings ("Baudrate" or 115200, 8N1, DTR on, RTS off),
  // time-outs and event mask. 0, or 111 when any is refused or "Baudrate"
  // is not a positive decimal number.
  int SetParams();
  // True when open; when closed and reopen is set, one OpenPort is tried.
  bool PortOpened(bool reopen);
  // Always 0.
  int ClosePort();
  // Discards both driver queues, then writes the packet up to its NUL in one
  // write. 0, 101 (closed and cannot be reopened), 111 (short write).
  int SendPacket(const char* packet);
  // Collects one reply frame into buffer (size bytes, normally the 10000-byte
  // incoming packet) within timeoutSeconds per piece. 0 when a frame with a
  // correct CRC is in the buffer, 101 closed, 112 nothing arrived, 111
  // otherwise (bad CRC, incomplete frame, more bytes than the buffer holds).
  int ReadPacket(char* buffer, std::size_t size, int timeoutSeconds);
  // Polls the input queue every 20 ms for up to timeoutSeconds; the number of
  // bytes waiting, 0 on time-out.
  std::size_t WaitForInput(int timeoutSeconds);

  // The line settings last applied.
  const LineSettings& AppliedSettings() const { return settings_; }
  // Why the last OpenPort failed (fault kNone after a successful one); the
  // daily log names the same cause.
  const PortError& LastPortError() const { return portError_; }

  // Test-only: the factory that makes the device on the next use (null
  // restores the platform's). Takes effect for an RS232 created afterwards
  // or when the port is next opened.
  using DeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;
  static void SetDeviceFactoryForTests(DeviceFactory factory);

 private:
  friend class ProcessSingleton<RS232>;
  RS232();

  SerialDevice& Device();
  bool IsOpen() const { return device_ && device_->IsOpen(); }

  // Records and logs the cause of a failure under tag.
  void NoteFailure(const char* tag, PortError error);

  std::unique_ptr<SerialDevice> device_;
  LineSettings settings_;
  PortError portError_;
};

}  // namespace kestrel
