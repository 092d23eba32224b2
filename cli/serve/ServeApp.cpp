#include "cli/serve/ServeApp.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ostream>

#include "cli/FileNames.h"
#include "cli/Profile.h"
#include "cli/serve/Desk.h"
#include "cli/serve/HttpApi.h"
#include "cli/serve/IdStore.h"
#include "cli/serve/PrinterSession.h"
#include "cli/serve/RequestGate.h"
#include "cli/serve/StopSignals.h"

namespace kestrel::serve {
namespace {

// A saved journal's path must fit the service's 300 characters with room for
// a 64-character name and its ending.
constexpr std::size_t kMaxExportDirChars = 200;

// A profile flag as the service reads it: "1" is true, absent keeps the default.
bool ProfileFlag(const char* name, bool fallback) {
  const std::string value = cli::ProfileValue(name);
  return value.empty() ? fallback : std::atoi(value.c_str()) == 1;
}

}  // namespace

ServeApp::ServeApp(ServeOptions options) : options_(std::move(options)) {}

ServeApp::~ServeApp() {
  Stop();
  if (session_) session_->Stop();
}

int ServeApp::Start(std::ostream& err) {
  ListenAddress address;
  std::string error;
  if (!ParseListen(options_.listen, address, error)) {
    err << "kestrel: " << error << std::endl;
    return 2;
  }
  SafetyRules rules;
  rules.address = address;
  if (!options_.tokenFile.empty() && !ReadToken(options_.tokenFile, rules.token, error)) {
    err << "kestrel: " << error << std::endl;
    return 2;
  }
  if (!address.loopback && rules.token.empty()) {
    err << "kestrel: listening on " << address.host
        << " lets other machines print: give --token-file, and clients send \"Authorization: Bearer <token>\""
        << std::endl;
    return 2;
  }
  for (const std::string& origin : options_.allowOrigins) {
    if (!IsOriginText(origin)) {
      err << "kestrel: --allow-origin takes an origin such as https://pos.example.com, not \"" << origin << "\""
          << std::endl;
      return 2;
    }
  }
  rules.allowOrigins = options_.allowOrigins;
  rules.allowHosts = options_.allowHosts;
  PaymentTable payments;
  if (!ParsePaymentTypes(options_.paymentTypes, payments, error)) {
    err << "kestrel: " << error << std::endl;
    return 2;
  }
  if (options_.keepDays < 1 || options_.queueLength < 1 || options_.queueWaitSeconds < 1) {
    err << "kestrel: --keep-days, --queue and --queue-wait take numbers above 0" << std::endl;
    return 2;
  }

  if (!cli::CheckProfileFile(err)) return 2;
  session_ = std::make_unique<PrinterSession>(options_.deviceClass);
  if (!session_->Start(error)) {
    err << "kestrel: " << error << std::endl;
    return 1;
  }
  const std::string dataDir = cli::ProfileValue("DataDirectory");
  if (dataDir.empty()) {
    err << "kestrel: the profile " << cli::ProfilePath()
        << " names no DataDirectory; the server keeps its request ids there" << std::endl;
    return 1;
  }
  store_ = std::make_unique<IdStore>();
  // The server's folders go where the service keeps its files.
  const std::filesystem::path dataPath = cli::PathOfServiceName(cli::ProfileRawValue("DataDirectory"));
  if (!store_->Open(cli::Utf8OfPath(dataPath / "kstr_srv_ids"), error)) {
    err << "kestrel: " << error << std::endl;
    return 1;
  }
  DeskOptions deskOptions;
  deskOptions.exportDir = options_.exportDir.empty() ? cli::Utf8OfPath(dataPath / "kstr_export") : options_.exportDir;
  std::error_code code;
  std::filesystem::create_directories(cli::PathOfUtf8(deskOptions.exportDir), code);
  if (!std::filesystem::is_directory(cli::PathOfUtf8(deskOptions.exportDir), code) ||
      deskOptions.exportDir.size() > kMaxExportDirChars) {
    err << "kestrel: the export directory " << deskOptions.exportDir
        << " cannot be made or is longer than 200 characters" << std::endl;
    return 1;
  }
  deskOptions.keepDays = options_.keepDays;
  deskOptions.singleCashReceipt = ProfileFlag("SingleCashReceipt", true);
  deskOptions.v7Protocol = ProfileFlag("V7Protocol", false);
  gate_ = std::make_unique<RequestGate>(static_cast<std::size_t>(options_.queueLength),
                                        std::chrono::seconds(options_.queueWaitSeconds));
  desk_ = std::make_unique<Desk>(*session_, *store_, *gate_, deskOptions);
  if (!session_->Enabled()) {
    err << "kestrel: warning: the printer does not answer yet; requests wait for it" << std::endl;
  } else if (!desk_->SettleAtStart(error)) {
    err << "kestrel: warning: " << error << std::endl;
  }

  http_ = std::make_unique<HttpApi>(rules, payments, *desk_);
  if (!http_->Bind()) {
    err << "kestrel: cannot listen on " << options_.listen << std::endl;
    return 1;
  }
  host_ = address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
  return 0;
}

int ServeApp::Port() const { return http_ ? http_->Port() : 0; }

std::string ServeApp::Url() const { return "http://" + host_ + ":" + std::to_string(Port()); }

void ServeApp::Run() {
  if (!http_) return;
  if (!stopRequested_) http_->Listen();
  // Every handler has returned; refuse what still waits and let the last one end.
  gate_->Stop();
  gate_->WaitIdle();
  session_->Stop();
}

void ServeApp::Stop() {
  stopRequested_ = true;
  if (gate_) gate_->Stop();
  if (http_) http_->Stop();
}

int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err) {
  ServeApp app(options);  // starts no thread before Start
  // Before the server starts any thread, and gone before the app is, so that
  // a late signal never reaches an app being destroyed.
  StopSignals signals;
  const int status = app.Start(err);
  if (status != 0) return status;
  signals.Watch([&app] { app.Stop(); });
  out << "kestrel serve: listening on " << app.Url() << std::endl;
  app.Run();
  out << "kestrel serve: stopped; the printer is released" << std::endl;
  return 0;
}

}  // namespace kestrel::serve
