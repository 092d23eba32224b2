// The serial device on Windows: a COM port through the Win32 communications
// API, one call for each operation of the seam.
#include <windows.h>

#include <cstdint>
#include <string>

#include "serial/SerialDevice.h"

namespace kestrel {
namespace {

class Win32SerialDevice final : public SerialDevice {
 public:
  ~Win32SerialDevice() override { Close(); }

  bool Open(const char* name) override {
    if (handle_ != INVALID_HANDLE_VALUE) return true;
    error_ = {};
    name_ = name;
    handle_ = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) error_ = MakePortError(static_cast<long>(::GetLastError()), true, name_);
    return handle_ != INVALID_HANDLE_VALUE;
  }

  PortError LastError() const override { return error_; }

  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  unsigned long HandleValue() const override {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(handle_) & 0xFFFFFFFFu);
  }

  void Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  bool SetQueueSizes(unsigned long input, unsigned long output) override {
    return ::SetupComm(handle_, input, output) != FALSE;
  }

  bool SetLineSettings(const LineSettings& s) override {
    // Built from zero: every member not named here stays off.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = s.baudRate;
    dcb.ByteSize = s.byteSize;
    dcb.Parity = s.parity;
    dcb.StopBits = s.stopBits;
    dcb.fDtrControl = s.dtrEnable ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = s.rtsEnable ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fTXContinueOnXoff = s.txContinueOnXoff ? TRUE : FALSE;
    dcb.fAbortOnError = FALSE;
    error_ = {};
    if (::SetCommState(handle_, &dcb)) return true;
    error_ = MakePortError(static_cast<long>(::GetLastError()), false, name_);
    if (error_.fault == PortFault::kRateRefused) error_.subject = std::to_string(s.baudRate);
    return false;
  }

  bool SetTimeouts(const LineTimeouts& t) override {
    COMMTIMEOUTS timeouts{};
    if (!::GetCommTimeouts(handle_, &timeouts)) return false;
    timeouts.ReadIntervalTimeout = t.readInterval;
    timeouts.ReadTotalTimeoutMultiplier = t.readTotalMultiplier;
    timeouts.ReadTotalTimeoutConstant = t.readTotalConstant;
    timeouts.WriteTotalTimeoutMultiplier = t.writeTotalMultiplier;
    timeouts.WriteTotalTimeoutConstant = t.writeTotalConstant;
    return ::SetCommTimeouts(handle_, &timeouts) != FALSE;
  }

  bool SetEventMask(unsigned long mask) override { return ::SetCommMask(handle_, mask) != FALSE; }

  bool PurgeInput() override { return ::PurgeComm(handle_, PURGE_RXCLEAR) != FALSE; }
  bool PurgeOutput() override { return ::PurgeComm(handle_, PURGE_TXCLEAR) != FALSE; }

  std::size_t Write(const void* bytes, std::size_t count) override {
    DWORD written = 0;
    if (!::WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr)) return written;
    return written;
  }

  std::size_t Read(void* bytes, std::size_t count) override {
    DWORD read = 0;
    if (!::ReadFile(handle_, bytes, static_cast<DWORD>(count), &read, nullptr)) return read;
    return read;
  }

  std::size_t QueuedInput() override {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle_, &errors, &status)) return 0;
    return status.cbInQue;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string name_;
  PortError error_;
};

}  // namespace

std::unique_ptr<SerialDevice> CreatePlatformSerialDevice() { return std::make_unique<Win32SerialDevice>(); }

}  // namespace kestrel
