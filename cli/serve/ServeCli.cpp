#include "cli/serve/ServeCli.h"

#include <CLI/CLI.hpp>

namespace kestrel::serve {

CLI::App* AddServeCommand(CLI::App& app, ServeOptions& options) {
  CLI::App* serve = app.add_subcommand("serve", "Serve the printer over local HTTP with a JSON API and a web page");
  serve->add_option("--listen", options.listen, "HOST:PORT to listen on (an IP address or localhost)")
      ->capture_default_str();
  serve->add_option("--token-file", options.tokenFile,
                    "File holding the bearer token (16+ characters) every API request must carry; "
                    "required unless listening on loopback");
  serve->add_option("--export-dir", options.exportDir, "Where saved journals go (default <DataDirectory>/kstr_export)");
  serve->add_option("--allow-origin", options.allowOrigins,
                    "A web origin (https://pos.example.com) whose pages may call the API; repeatable");
  serve->add_option("--allow-host", options.allowHosts,
                    "A further name the Host header may carry (this machine's name or address); repeatable");
  serve->add_option("--payment-type", options.paymentTypes,
                    "NAME=CODE: a payment type and the printer's payment code; repeatable, replaces the default "
                    "table cash=1 card=2 voucher=3 other=4");
  serve->add_option("--keep-days", options.keepDays, "Days a settled request id is remembered")->capture_default_str();
  serve->add_option("--queue", options.queueLength, "Requests that may wait for the printer at once")
      ->capture_default_str();
  serve->add_option("--queue-wait", options.queueWaitSeconds, "Seconds a request waits for the printer at most")
      ->capture_default_str();
  serve->add_option("--device-class", options.deviceClass, "Device class that selects the profile key")
      ->capture_default_str();
  serve->footer(
      "Every printing request carries an id; the same id is never printed twice, also across a crash.\n"
      "Example: kestrel serve --listen 127.0.0.1:8750    then open http://127.0.0.1:8750/");
  return serve;
}

}  // namespace kestrel::serve
