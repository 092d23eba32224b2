#pragma once
// Serves the virtual printer on a pseudo-terminal (or an existing serial
// device) from a thread of its own. The symbolic link appears only once the
// printer serves, so a caller may wait for it; it goes away on Stop.
//
// A test starts a printer and plays a fault in a few lines:
//
//   emulator::ServerOptions options;
//   options.link = dir + "/printer";
//   emulator::PtyServer printer(options);
//   ASSERT_EQ(printer.Start(), 0);
//   printer.Inject("noreply 2");       // any line of Device::Command
//   ... open options.link as the serial port and talk ...
//   printer.Trace();                   // one line per exchange
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "emulator/Device.h"

namespace kestrel::emulator {

struct ServerOptions {
  std::string link;         // symbolic link to the pty (or to the device)
  std::string device;       // serve this serial device instead of a new pty
  std::string stateDir;     // keep fiscal memory, counters and journal here
  std::string paperPath;    // append what is printed (UTF-8)
  std::string tracePath;    // append one line per exchange
  std::string controlPath;  // a FIFO taking one command per line
  int baud = 0;             // > 0: bytes take their time at this rate (10 bits each)
  int thinkMs = 0;          // the printer's own time per command carried out ("think")
  PrinterOptions printer;
  std::vector<std::string> commands;  // control lines applied before serving
};

class PtyServer {
 public:
  explicit PtyServer(ServerOptions options);
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // 0 when serving; otherwise -1 and a reason in *error.
  int Start(std::string* error = nullptr);
  // Stops serving, removes the link and the control FIFO; saves the state.
  void Stop();
  bool Serving() const { return thread_.joinable(); }

  // A control line (fault or condition), as on the FIFO: "ok" or "error: ...".
  std::string Inject(const std::string& line);
  // The pty's own device name (the link points at it).
  std::string DeviceName() const { return deviceName_; }
  // Everything printed so far (UTF-8) and the trace lines so far.
  std::string Paper() const;
  std::vector<std::string> Trace() const;
  // Bytes on the line per exchange: the request frame and the reply sent
  // (0 when unanswered), in the order served.
  struct LineBytes {
    std::size_t request = 0;
    std::size_t reply = 0;
  };
  std::vector<LineBytes> Traffic() const;
  // Runs f on the device under the server's lock (for inspection in tests).
  template <class F>
  auto WithDevice(F f) {
    std::lock_guard<std::mutex> guard(lock_);
    return f(device_);
  }

 private:
  void Run();
  void Serve(const std::string& frame);
  void ReadControl();
  void WriteAll(const std::string& bytes);
  void Transmit(const Transmission& sent, std::size_t requestBytes);
  void Pause(int ms);
  void AppendFile(const std::string& path, const std::string& text);

  ServerOptions options_;
  mutable std::mutex lock_;
  Device device_;
  std::vector<std::string> trace_;
  std::vector<LineBytes> traffic_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees the line hang up
  int wake_[2] = {-1, -1};
  int control_ = -1;
  int controlKeep_ = -1;
  std::string controlBuffer_;
  std::string deviceName_;
  bool linkMade_ = false;
};

}  // namespace kestrel::emulator
