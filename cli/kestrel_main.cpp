// kestrel: the command-line tool for integrators and service technicians.
// It drives the printer through the same service object a point-of-sale
// application uses, configured by the same profile (KESTREL_REGISTRY).
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CallTable.h"
#include "cli/Profile.h"
#include "cli/SaleCommand.h"
#include "cli/ScriptRunner.h"
#include "cli/StatusCommand.h"

namespace {

using namespace kestrel::cli;

int Run(const std::string& file, bool keepGoing) {
  WarnWithoutProfile(std::cerr);
  ScriptRunner runner(std::cout, std::cerr, keepGoing);
  if (file == "-") {
    // Typed at a terminal: each line runs at once. Piped: read whole, checked first.
    if (::isatty(STDIN_FILENO)) return runner.RunInteractive(std::cin);
    std::ostringstream script;
    script << std::cin.rdbuf();
    return runner.RunText(script.str());
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "kestrel: cannot read " << file << std::endl;
    return kExitBadInput;
  }
  std::ostringstream script;
  script << in.rdbuf();
  return runner.RunText(script.str());
}

int ListMethods() {
  for (const Method& method : Methods()) std::cout << method.Usage() << "\n";
  std::cout.flush();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Drives the Kestrel fiscal printer through its service object.\n"
      "The profile (.reg) is the one KESTREL_REGISTRY names, else /etc/kestrel/registry.reg.",
      "kestrel"};
  app.require_subcommand(1, 1);
  app.fallthrough();  // --profile also after the subcommand's name
  std::string profile;
  app.add_option("--profile", profile, "Use this profile (.reg file) instead of KESTREL_REGISTRY");

  bool keepGoing = false;
  std::string file = "-";
  CLI::App* run = app.add_subcommand("run", "Run service calls, one per line, from FILE or standard input");
  run->footer(
      "A line is a method name and its arguments, separated by blanks: every in-argument and the\n"
      "value going in of every in/out argument. Texts may be quoted (\\\" and \\\\ inside), numbers\n"
      "are whole (amounts in 1/10000), flags 0 or 1; lines starting with # are skipped.\n"
      "Prints one line per call: \"Method: R [(E)] [\"ErrorString\"] [values...]\".\n"
      "Exit status: 0 all calls succeeded, 1 a call failed, 2 a line could not be read.\n"
      "`kestrel methods` lists every method with its arguments.");
  run->add_flag("-k,--keep-going", keepGoing, "Run every line even after a call failed");
  run->add_option("FILE", file, "Script file, or - for standard input")->capture_default_str();

  std::string deviceClass = "FiscalPrinter";
  CLI::App* status = app.add_subcommand("status", "Show the printer's state, paper, cover, firmware and day");
  status->add_option("--device-class", deviceClass, "Device class that selects the profile key")->capture_default_str();

  SaleOptions sale;
  CLI::App* saleCommand = app.add_subcommand("sale", "Print a sales receipt: DESCRIPTION PRICE[xQUANTITY] VAT ...");
  saleCommand->add_option("ITEMS", sale.items, "Description, price (0.15 or 0.15x4), VAT rate number 1-8; repeat")
      ->required();
  saleCommand->add_option("--pay", sale.pay, "Amount paid, e.g. 10.00 (default: the exact total)");
  saleCommand->add_option("--payment-type", sale.paymentType, "The printer's one-character payment code (default 1)");
  saleCommand->add_option("--device-class", sale.deviceClass, "Device class that selects the profile key")
      ->capture_default_str();
  saleCommand->footer("Example: kestrel sale \"Rožok\" 0.15x4 1 \"Mlieko\" 0.89 2 --pay 2.00");

  CLI::App* methods = app.add_subcommand("methods", "List every service method with its script arguments");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help answers 0; every other usage error is bad input.
    return app.exit(e) == 0 ? 0 : kExitBadInput;
  }
  if (!profile.empty() && !UseProfile(profile)) {
    std::cerr << "kestrel: cannot use the profile " << profile << std::endl;
    return kExitBadInput;
  }
  if (*run) return Run(file, keepGoing);
  if (*status) {
    WarnWithoutProfile(std::cerr);
    return RunStatus(deviceClass, std::cout, std::cerr);
  }
  if (*saleCommand) return RunSale(sale, std::cout, std::cerr);
  if (*methods) return ListMethods();
  return kExitBadInput;
}
