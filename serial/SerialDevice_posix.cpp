// The serial device on POSIX systems: a tty (a USB adapter, an on-board port
// or the virtual printer's pseudo-terminal) driven through termios.
//
// How the Win32 calls map here:
//   CreateFileA (share mode 0)  open(O_RDWR | O_NOCTTY | O_NONBLOCK), TIOCEXCL
//                               and flock(LOCK_EX | LOCK_NB), which also
//                               stops root from taking a held port
//   GetLastError                errno, kept with its cause (LastError)
//   SetupComm                   nothing to set: the kernel sizes its queues
//   SetCommState                termios raw 8N1, no flow control, the rate
//                               mapped onto a speed constant (none: refused);
//                               DTR raised, RTS low where modem lines exist
//   Get/SetCommTimeouts         the write time-out bounds the one write; reads
//                               only ever take bytes already queued
//   SetCommMask                 nothing waits for events: accepted
//   PurgeComm                   tcflush(TCIFLUSH) / tcflush(TCOFLUSH)
//   WriteFile                   write() until done or the write time-out ends
//   ReadFile                    non-blocking read()
//   ClearCommError (cbInQue)    ioctl(FIONREAD)
//   CloseHandle                 flock(LOCK_UN), close()
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "serial/SerialDevice.h"

namespace kestrel {
namespace {

bool SpeedFor(unsigned long rate, speed_t& speed) {
  struct Entry {
    unsigned long rate;
    speed_t speed;
  };
  static const Entry kSpeeds[] = {
      {50, B50},         {75, B75},     {110, B110},   {134, B134},     {150, B150},
      {200, B200},       {300, B300},   {600, B600},   {1200, B1200},   {1800, B1800},
      {2400, B2400},     {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
#ifdef B57600
      {57600, B57600},
#endif
#ifdef B115200
      {115200, B115200},
#endif
#ifdef B230400
      {230400, B230400},
#endif
#ifdef B460800
      {460800, B460800},
#endif
#ifdef B921600
      {921600, B921600},
#endif
  };
  for (const Entry& e : kSpeeds) {
    if (e.rate == rate) {
      speed = e.speed;
      return true;
    }
  }
  return false;
}

class PosixSerialDevice final : public SerialDevice {
 public:
  ~PosixSerialDevice() override { Close(); }

  bool Open(const char* name) override {
    if (fd_ >= 0) return true;
    error_ = {};
    name_ = name;
    int fd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(errno, true);
    // Exclusive use, as a Win32 port opened without sharing: TIOCEXCL keeps
    // others from opening the tty, the lock also holds against root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int lockError = errno;
      ::close(fd);
      return Fail(lockError, true);
    }
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    return true;
  }

  PortError LastError() const override { return error_; }

  bool IsOpen() const override { return fd_ >= 0; }

  unsigned long HandleValue() const override { return fd_ >= 0 ? static_cast<unsigned long>(fd_) : 0xFFFFFFFFUL; }

  void Close() override {
    if (fd_ < 0) return;
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }

  bool SetQueueSizes(unsigned long, unsigned long) override { return true; }

  bool SetLineSettings(const LineSettings& s) override {
    if (fd_ < 0) return false;
    error_ = {};
    termios tio{};
    // A file, a FIFO or another device that is no terminal answers ENOTTY.
    if (::tcgetattr(fd_, &tio) != 0) return Fail(errno, false);
    speed_t speed;
    if (!SpeedFor(s.baudRate, speed)) {
      Fail(EINVAL, false);
      error_.subject = std::to_string(s.baudRate);
      return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    if (s.parity != 0) tio.c_cflag |= PARENB;
    if (s.stopBits != 0) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 || ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
      Fail(errno, false);
      if (error_.fault == PortFault::kRateRefused) error_.subject = std::to_string(s.baudRate);
      return false;
    }
    // A pseudo-terminal has no modem lines; that is not an error.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    ::ioctl(fd_, s.dtrEnable ? TIOCMBIS : TIOCMBIC, &dtr);
    ::ioctl(fd_, s.rtsEnable ? TIOCMBIS : TIOCMBIC, &rts);
    return true;
  }

  bool SetTimeouts(const LineTimeouts& t) override {
    if (fd_ < 0) return false;
    timeouts_ = t;
    return true;
  }

  bool SetEventMask(unsigned long) override { return fd_ >= 0; }

  bool PurgeInput() override { return fd_ >= 0 && ::tcflush(fd_, TCIFLUSH) == 0; }
  bool PurgeOutput() override { return fd_ >= 0 && ::tcflush(fd_, TCOFLUSH) == 0; }

  std::size_t Write(const void* bytes, std::size_t count) override {
    if (fd_ < 0) return 0;
    using Clock = std::chrono::steady_clock;
    const auto limit = std::chrono::milliseconds(timeouts_.writeTotalConstant + timeouts_.writeTotalMultiplier * count);
    const auto deadline = Clock::now() + limit;
    const auto* p = static_cast<const unsigned char*>(bytes);
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(fd_, p + done, count - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) break;
      pollfd pfd{fd_, POLLOUT, 0};
      ::poll(&pfd, 1, static_cast<int>(left.count()));
    }
    return done;
  }

  std::size_t Read(void* bytes, std::size_t count) override {
    if (fd_ < 0 || count == 0) return 0;
    ssize_t n;
    do {
      n = ::read(fd_, bytes, count);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }

  std::size_t QueuedInput() override {
    if (fd_ < 0) return 0;
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0) return 0;
    return static_cast<std::size_t>(queued);
  }

 private:
  // Records why the device failed; always false.
  bool Fail(int code, bool opening) {
    error_ = MakePortError(code, opening, name_);
    return false;
  }

  int fd_ = -1;
  LineTimeouts timeouts_;
  std::string name_;
  PortError error_;
};

}  // namespace

std::unique_ptr<SerialDevice> CreatePlatformSerialDevice() { return std::make_unique<PosixSerialDevice>(); }

}  // namespace kestrel
