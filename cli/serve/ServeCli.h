#pragma once
// The `serve` subcommand's options on the command line.
#include "cli/serve/ServeOptions.h"

namespace CLI {
class App;
}

namespace kestrel::serve {

CLI::App* AddServeCommand(CLI::App& app, ServeOptions& options);

}  // namespace kestrel::serve
