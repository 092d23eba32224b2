#pragma once
// A pseudo-terminal whose far end the test plays: its slave's name stands in
// for a serial port that nothing answers on, and the test can see whether
// anything was sent to it.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kestrel::testing {

class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) name_ = ::ptsname(master_);
  }
  virtual ~PseudoTerminal() {
    if (master_ >= 0) ::close(master_);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& Name() const { return name_; }
  // Whether anything was written to the port and is waiting at our end.
  bool Heard() const {
    pollfd p{master_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
  }

 protected:
  int master_ = -1;
  std::string name_;
};

}  // namespace kestrel::testing
