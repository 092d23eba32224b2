#pragma once
// `kestrel serve` as a real process of its own, for the crash tests: started
// with the test's profile (KESTREL_REGISTRY is inherited) on a free port, and
// killed, stopped or waited for by its process id.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace kestrel::serve {

class ServerProcess {
 public:
  ~ServerProcess() { Kill(); }

  // Starts the server; crashAt names the step where it kills itself (empty:
  // none). False when it did not say where it listens within 20 seconds.
  bool Start(const std::string& crashAt, std::string& output) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(pipeFds[1], STDOUT_FILENO);
      ::dup2(pipeFds[1], STDERR_FILENO);
      ::close(pipeFds[0]);
      if (crashAt.empty()) {
        ::unsetenv("KESTREL_SERVE_CRASH_AT");
      } else {
        ::setenv("KESTREL_SERVE_CRASH_AT", crashAt.c_str(), 1);
      }
      const std::string program = std::string(KESTREL_BIN_DIR) + "/kestrel";
      ::execl(program.c_str(), program.c_str(), "serve", "--listen", "127.0.0.1:0", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(pipeFds[1]);
    out_ = pipeFds[0];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const std::string marker = "listening on http://127.0.0.1:";
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd wait{out_, POLLIN, 0};
      if (::poll(&wait, 1, 100) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(out_, buffer, sizeof buffer);
      if (n <= 0) break;
      output.append(buffer, static_cast<std::size_t>(n));
      const std::size_t at = output.find(marker);
      if (at != std::string::npos && output.find('\n', at) != std::string::npos) {
        port_ = std::atoi(output.c_str() + at + marker.size());
        return port_ > 0;
      }
    }
    return false;
  }

  int Port() const { return port_; }

  // Waits (at most 20 s) for the process to end; the signal that ended it, or 0.
  int WaitForEnd() {
    for (int i = 0; i < 2000 && pid_ > 0; ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }

  // SIGTERM: the server ends the request in progress and releases the printer.
  int Terminate() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
    return WaitForEnd();
  }

  void Kill() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      WaitForEnd();
    }
    if (out_ >= 0) ::close(out_);
    out_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int port_ = 0;
};

}  // namespace kestrel::serve
