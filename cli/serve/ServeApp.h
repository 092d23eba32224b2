#pragma once
// `kestrel serve` assembled: options checked, the printer opened and kept,
// the id store read and its unsettled ids settled, the HTTP server bound.
// The command runs it until SIGINT or SIGTERM; tests run it on a thread.
#include <atomic>
#include <iosfwd>
#include <memory>
#include <string>

#include "cli/serve/ServeOptions.h"

namespace kestrel::serve {

class Desk;
class HttpApi;
class IdStore;
class PrinterSession;
class RequestGate;

class ServeApp {
 public:
  explicit ServeApp(ServeOptions options);
  ~ServeApp();
  ServeApp(const ServeApp&) = delete;
  ServeApp& operator=(const ServeApp&) = delete;

  // 0 ready to serve; 2 options that cannot be used (nothing opened); 1 the
  // printer's port, the data directory or the address cannot be used.
  // Reasons go to err, one line each.
  int Start(std::ostream& err);
  int Port() const;
  std::string Url() const;
  // Serves until Stop; then ends the requests in progress, refuses the
  // waiting ones and releases the printer.
  void Run();
  // Safe from any thread (a signal watcher), also before Run.
  void Stop();

 private:
  ServeOptions options_;
  std::unique_ptr<PrinterSession> session_;
  std::unique_ptr<IdStore> store_;
  std::unique_ptr<RequestGate> gate_;
  std::unique_ptr<Desk> desk_;
  std::unique_ptr<HttpApi> http_;
  std::string host_;
  std::atomic<bool> stopRequested_{false};
};

// The command: Start, a line with the address on out, Run until a signal.
int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kestrel::serve
