// errno on the way to a serial device: open(), the exclusive lock, termios.
#include <cerrno>
#include <system_error>

#include "serial/PortError.h"

namespace kestrel {

std::string SystemErrorText(long code) { return std::generic_category().message(static_cast<int>(code)); }

PortFault ClassifySystemError(long code, bool opening) {
  switch (code) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return PortFault::kNoDevice;
    case EACCES:
    case EPERM:
    case EROFS:
      return PortFault::kAccessDenied;
    case EBUSY:  // the tty is held exclusively (TIOCEXCL)
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EAGAIN:  // another process holds the lock
      return PortFault::kHeld;
    case ENOTTY:
    case EISDIR:
    case ENOTDIR:
      return PortFault::kNotSerial;
    case EINVAL:
      // termios refuses a speed with EINVAL; open() never answers it for a tty.
      return opening ? PortFault::kOther : PortFault::kRateRefused;
    default:
      return PortFault::kOther;
  }
}

}  // namespace kestrel
