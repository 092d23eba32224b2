#pragma once
// RS232 owns the one serial connection to the printer: it opens the device
// named by the profile's "Port", applies the fixed line settings, writes
// request frames and collects reply frames whose CRC it checks. It knows
// nothing of commands or fields. Only Messaging calls it.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

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
  //
  // Every receive ends: it gives up with 111 and one log line once it has
  // taken 10000 bytes without a complete frame (bytes dropped before a start
  // byte count too), or once timeoutSeconds plus the wire time of 10000
  // bytes at the line's rate have passed since it began. A full-size reply
  // that starts within the time-out therefore still arrives.
  int ReadPacket(char* buffer, std::size_t size, int timeoutSeconds);
  // ReadPacket with its waits in polls of kPollMs: the first byte must come
  // within firstPolls, every further piece within piecePolls, and the whole
  // receive ends after deadlinePolls. The polls used go to *spentPolls (may
  // be null). Bytes that followed the last frame read are taken first,
  // unless a send came in between.
  int ReadFrame(char* buffer, std::size_t size, long firstPolls, long piecePolls, long deadlinePolls, long* spentPolls);
  // Polls the input queue every 20 ms for up to timeoutSeconds; the number of
  // bytes waiting, 0 on time-out.
  std::size_t WaitForInput(int timeoutSeconds);
  // The polls that kReceiveByteLimit bytes take on the wire at the applied
  // rate, ten bits a byte (115200 baud when none was applied).
  long WirePolls() const;

  // Drops what the driver holds and what followed the last frame read.
  void DiscardInput();
  // True while the port is open; no log line, no reopening.
  bool IsPortOpen() const { return IsOpen(); }
  // Changes every time the port is opened anew: what came before belongs to
  // another port session (possibly another process).
  unsigned long Session() const { return session_; }

  static constexpr int kPollMs = 20;
  static constexpr long kPollsPerSecond = 1000 / kPollMs;
  static constexpr std::size_t kReceiveByteLimit = 10000;

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
  // Waits up to polls polls for input; adds the polls made to *used.
  std::size_t WaitPolls(long polls, long* used);

  // Records and logs the cause of a failure under tag.
  void NoteFailure(const char* tag, PortError error);

  std::unique_ptr<SerialDevice> device_;
  LineSettings settings_;
  PortError portError_;
  unsigned long session_ = 0;
  // Bytes that came after the last frame in the same read: the next receive
  // starts with them unless a send discards them first.
  std::string carry_;
};

}  // namespace kestrel
