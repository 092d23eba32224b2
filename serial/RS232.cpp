// Opening, configuring and closing the serial port.
#include "serial/RS232.h"

#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "config/Settings.h"
#include "log/Log.h"
#include "serial/Frame.h"
#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr unsigned long kDefaultBaudRate = 115200;
constexpr std::size_t kPortNameSize = 30;
constexpr std::size_t kBaudRateSize = 50;
// EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_ERR | EV_RING; nothing waits for them.
constexpr unsigned long kEventMask = 0x1B9;

std::mutex& FactoryLock() {
  static std::mutex lock;
  return lock;
}
RS232::DeviceFactory& Factory() {
  static RS232::DeviceFactory factory;
  return factory;
}

// A baud rate is a positive decimal number that fits the line settings.
bool ParseBaudRate(const char* text, unsigned long& rate) {
  if (*text == '\0') return false;
  unsigned long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<unsigned long>(*p - '0');
    if (value > 0x7FFFFFFFUL) return false;
  }
  if (value == 0) return false;
  rate = value;
  return true;
}

}  // namespace

RS232::RS232() = default;

RS232::~RS232() {
  if (IsOpen()) device_->Close();
}

void RS232::SetDeviceFactoryForTests(DeviceFactory factory) {
  std::lock_guard<std::mutex> guard(FactoryLock());
  Factory() = std::move(factory);
}

SerialDevice& RS232::Device() {
  if (!device_) {
    std::lock_guard<std::mutex> guard(FactoryLock());
    device_ = Factory() ? Factory()() : CreatePlatformSerialDevice();
    if (!device_) device_ = CreatePlatformSerialDevice();
  }
  return *device_;
}

int RS232::OpenPort() {
  Log& log = Log::Instance();
  log.Write("RS232::OpenPort", "%s", "");
  if (IsOpen()) return kSuccess;

  portError_ = {};
  char port[kPortNameSize];
  if (Settings::Instance().ReadValue("Port", port, sizeof port) != kSuccess || port[0] == '\0') {
    log.Write("RS232::OpenPort", "Cannot load port file!");
    portError_.fault = PortFault::kNoPortName;
    return kFailure;
  }
  log.Write("RS232::OpenPort", "Opening port %s...", port);
  SerialDevice& device = Device();
  if (!device.Open(port)) {
    log.Write("RS232::OpenPort", "Port NOT opened %lx", device.HandleValue());
    PortError error = device.LastError();
    error.subject = port;
    NoteFailure("RS232::OpenPort", error);
    return kClosed;
  }
  log.Write("RS232::OpenPort", "Port opened %lx", device.HandleValue());
  // A new port session: nothing read before belongs to it.
  ++session_;
  carry_.clear();
  if (SetParams() != kSuccess) {
    // A port whose line settings were refused must not pass for open: the
    // next claim or the reopen before a send would otherwise use it as is.
    ClosePort();
    return kFailure;
  }
  return kSuccess;
}

int RS232::SetParams() {
  Log& log = Log::Instance();
  log.Write("RS232::SetParams", "%s", "");
  SerialDevice& device = Device();
  device.SetQueueSizes(kPacketBufferSize, kPacketBufferSize);

  LineSettings settings;
  settings.baudRate = kDefaultBaudRate;
  char baud[kBaudRateSize];
  if (Settings::Instance().ReadValue("Baudrate", baud, sizeof baud) == kSuccess && baud[0] != '\0') {
    unsigned long rate = 0;
    if (!ParseBaudRate(baud, rate)) {
      // Refused before the line is touched: a rate of 0 or a cut number
      // would leave a line that garbles every reply.
      log.Write("RS232::SetParams", "BaudRate: %s is not a valid rate", baud);
      PortError error;
      error.fault = PortFault::kBadRateValue;
      error.subject = baud;
      NoteFailure("RS232::SetParams", error);
      return kFailure;
    }
    log.Write("RS232::SetParams", "BaudRate: %lu", rate);
    settings.baudRate = rate;
  }
  settings.byteSize = 8;
  settings.parity = 0;
  settings.stopBits = 0;
  settings.dtrEnable = true;
  settings.rtsEnable = false;
  settings.txContinueOnXoff = true;
  settings_ = settings;
  if (!device.SetLineSettings(settings_)) {
    PortError error = device.LastError();
    if (error.fault == PortFault::kRateRefused && error.subject.empty())
      error.subject = std::to_string(settings_.baudRate);
    NoteFailure("RS232::SetParams", error);
    return kFailure;
  }

  LineTimeouts timeouts;
  timeouts.readInterval = 50;
  timeouts.readTotalMultiplier = 10;
  timeouts.readTotalConstant = 50;
  timeouts.writeTotalMultiplier = 10;
  timeouts.writeTotalConstant = 50;
  if (!device.SetTimeouts(timeouts) || !device.SetEventMask(kEventMask)) {
    NoteFailure("RS232::SetParams", PortError{});
    return kFailure;
  }
  return kSuccess;
}

void RS232::NoteFailure(const char* tag, PortError error) {
  if (error.fault == PortFault::kNone) error.fault = PortFault::kOther;
  portError_ = error;
  Log::Instance().Write(tag, "Cause: %s", DescribePortError(portError_).c_str());
}

bool RS232::PortOpened(bool reopen) {
  if (IsOpen()) return true;
  Log& log = Log::Instance();
  log.Write("RS232::PortOpened", "Port is closed");
  if (!reopen) return false;
  OpenPort();
  if (!IsOpen()) {
    log.Write("RS232::PortOpened", "Port reopen failed");
    return false;
  }
  return true;
}

int RS232::ClosePort() {
  Log& log = Log::Instance();
  log.Write("RS232::ClosePort", "%s", "");
  if (PortOpened(false)) {
    device_->Close();
    carry_.clear();
    log.Write("RS232::ClosePort", "Port closed");
  }
  return kSuccess;
}

}  // namespace kestrel
