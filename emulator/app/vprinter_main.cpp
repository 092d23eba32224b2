// kestrel-vprinter: the virtual fiscal printer on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "emulator/PtyServer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

void Usage(FILE* out) {
  std::fputs(
      "usage: kestrel-vprinter --link PATH [--device DEV] [--state-dir DIR] [--paper FILE]\n"
      "                        [--trace FILE] [--baud N] [--think MS] [--firmware X.Y.Z]\n"
      "                        [--control PATH] [--slip] [--strict] [--no-echo]\n"
      "                        [--journal free|keep] [--fault LINE]...\n"
      "\n"
      "Serves a virtual fiscal printer on a new pseudo-terminal (or on DEV) and links\n"
      "PATH to it once it serves. Stops on SIGTERM or SIGINT and removes the link.\n"
      "  --state-dir DIR  keep fiscal memory, counters and journal across restarts\n"
      "  --paper FILE     append everything printed, as UTF-8 text\n"
      "  --trace FILE     append one line per exchange\n"
      "  --baud N         bytes take their time at N baud; --think MS per command\n"
      "  --control PATH   a FIFO taking one command per line (same as --fault)\n"
      "  --slip           the printer has a slip station\n"
      "  --strict         strict numbering: 31 for an unexpected sequence digit, and\n"
      "                   the last digit again is a repeat answered from memory\n"
      "  --no-echo        replies carry the printer's own code \"000\", not the request's\n"
      "  --journal free   journal blocks the host confirmed are freed (keep: all kept)\n"
      "  --fault LINE     a fault or condition, e.g. \"noreply 2\", \"reply P03 44\",\n"
      "                   \"late 1500\", \"long 3\", \"cover open\", \"paper near\", \"off\"\n",
      out);
}

bool ParseNumber(const char* text, int& out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || value < 0 || value > 10000000) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  kestrel::emulator::ServerOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    }
    if (arg == "--slip") {
      options.printer.slipStation = true;
      continue;
    }
    if (arg == "--strict") {
      options.printer.strictSequence = true;
      continue;
    }
    if (arg == "--no-echo") {
      options.printer.echoCode = false;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "kestrel-vprinter: %s needs a value\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
    const char* value = argv[++i];
    bool ok = true;
    if (arg == "--link")
      options.link = value;
    else if (arg == "--device")
      options.device = value;
    else if (arg == "--state-dir")
      options.stateDir = value;
    else if (arg == "--paper")
      options.paperPath = value;
    else if (arg == "--trace")
      options.tracePath = value;
    else if (arg == "--control")
      options.controlPath = value;
    else if (arg == "--firmware")
      options.printer.firmware = value;
    else if (arg == "--fault")
      options.commands.push_back(value);
    else if (arg == "--baud")
      ok = ParseNumber(value, options.baud) && options.baud > 0;
    else if (arg == "--think")
      ok = ParseNumber(value, options.thinkMs);
    else if (arg == "--journal") {
      ok = std::string(value) == "free" || std::string(value) == "keep";
      options.printer.freeConfirmedJournal = std::string(value) == "free";
    } else
      ok = false;
    if (!ok) {
      std::fprintf(stderr, "kestrel-vprinter: bad option %s %s\n", arg.c_str(), value);
      Usage(stderr);
      return 2;
    }
  }
  if (options.link.empty() && options.device.empty()) {
    std::fprintf(stderr, "kestrel-vprinter: --link or --device is required\n");
    Usage(stderr);
    return 2;
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  kestrel::emulator::PtyServer server(options);
  std::string error;
  if (server.Start(&error) != 0) {
    std::fprintf(stderr, "kestrel-vprinter: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "kestrel-vprinter: serving on %s%s%s\n", server.DeviceName().c_str(),
               options.link.empty() ? "" : " as ", options.link.c_str());
  while (!g_stop) usleep(50 * 1000);
  server.Stop();
  std::fprintf(stderr, "kestrel-vprinter: stopped\n");
  return 0;
}
