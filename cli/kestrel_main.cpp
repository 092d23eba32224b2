// kestrel: the command-line tool for integrators and service technicians.
// It drives the printer through the same service object a point-of-sale
// application uses, configured by the same profile (the registry on Windows,
// KESTREL_REGISTRY elsewhere).
#include <CLI/CLI.hpp>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CallTable.h"
#include "cli/CancelCommand.h"
#include "cli/Console.h"
#include "cli/DetectCommand.h"
#include "cli/Interrupt.h"
#include "cli/Profile.h"
#include "cli/SaleCommand.h"
#include "cli/ScriptRunner.h"
#include "cli/StatusCommand.h"
#include "cli/TechnicianCommands.h"
#include "cli/TerminalInput.h"
#include "cli/serve/ServeApp.h"
#include "cli/serve/ServeCli.h"

namespace {

using namespace kestrel::cli;

int Run(const std::string& file, bool keepGoing) {
  if (!CheckProfileFile(std::cerr)) return kExitBadInput;
  ScriptRunner runner(std::cout, std::cerr, keepGoing);
  if (file == "-") {
    // Typed at a terminal: each line runs at once. Piped: read whole, checked first.
    if (InputIsTerminal()) return runner.RunInteractive(ReadTerminalLine);
    std::ostringstream script;
    script << std::cin.rdbuf();
    return runner.RunText(script.str());
  }
  std::error_code ignored;
  // The name is UTF-8 everywhere (on Windows too, see Console.h).
  const std::filesystem::path path = std::filesystem::u8path(file);
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, ignored)) {
    std::cerr << "kestrel: cannot read " << file << std::endl;
    return kExitBadInput;
  }
  std::ostringstream script;
  script << in.rdbuf();
  return runner.RunText(script.str());
}

// The first word that is neither an option nor the value of --profile: the
// command the user meant.
std::string CommandWord(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--profile") {
      ++i;
      continue;
    }
    if (!word.empty() && word[0] == '-') continue;
    return word;
  }
  return "";
}

// "unknown command" and the list of commands, when word names none.
bool ReportUnknownCommand(CLI::App& app, const std::string& word) {
  if (word.empty()) return false;
  const auto commands = app.get_subcommands([](CLI::App*) { return true; });
  for (const CLI::App* command : commands) {
    if (command->check_name(word)) return false;
  }
  std::cerr << "kestrel: unknown command \"" << word << "\"; the commands are:\n";
  for (const CLI::App* command : commands) {
    std::string name = command->get_name();
    name.resize(12, ' ');
    std::cerr << "  " << name << command->get_description() << "\n";
  }
  std::cerr << "`kestrel COMMAND --help` describes one." << std::endl;
  return true;
}

int ListMethods() {
  for (const Method& method : Methods()) std::cout << method.Usage() << "\n";
  std::cout.flush();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareConsole();
  CLI::App app{std::string("Drives the Kestrel fiscal printer through its service object.\n") + ProfileDescription(),
               "kestrel"};
  app.require_subcommand(1, 1);
  app.fallthrough();  // --profile also after the subcommand's name
  std::string profile;
  std::string registryView;
  if (ProfileIsFile()) {
    app.add_option("--profile", profile, "Use this profile (.reg file) instead of KESTREL_REGISTRY");
  } else {
    app.add_option("--registry-view", registryView, "Read the profile from the 32-bit or the 64-bit registry view")
        ->check(CLI::IsMember({"32", "64"}));
  }

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

  // The technician's commands, each a few service calls on one session.
  Target target;
  const auto withDeviceClass = [&target](CLI::App* command) {
    command->add_option("--device-class", target.deviceClass, "Device class that selects the profile key")
        ->capture_default_str();
    command->fallthrough();
    return command;
  };
  CLI::App* xReport = withDeviceClass(app.add_subcommand("x-report", "Print the X report (the day so far)"));
  CLI::App* zReport =
      withDeviceClass(app.add_subcommand("z-report", "Print the Z report: close the fiscal day (cannot be undone)"));

  std::string reportFrom;
  std::string reportTo;
  bool summary = false;
  CLI::App* report = withDeviceClass(
      app.add_subcommand("report", "Print the fiscal memory report between two dates or two closure numbers"));
  report->add_option("FROM", reportFrom, "First date (DDMMYYYY or DDMMYYYYHHMM) or closure number")->required();
  report->add_option("TO", reportTo, "Last date or closure number")->required();
  report->add_flag("-s,--summary", summary, "Only the totals (periodic totals report), not every closure");
  report->footer("Examples: kestrel report 01122026 07122026    kestrel report --summary 1 30");

  std::string clockDate;
  CLI::App* clock = withDeviceClass(app.add_subcommand("clock", "Show the printer's clock; `clock set` sets it"));
  clock->require_subcommand(0, 1);
  CLI::App* clockSet = withDeviceClass(clock->add_subcommand("set", "Set the printer's clock"));
  clockSet->add_option("DATE", clockDate, "DDMMYYYYHHMM, e.g. 071220262330")->required();

  int headerLine = 0;
  std::string headerText;
  CLI::App* header = withDeviceClass(app.add_subcommand("header", "Set one line of the receipt header"));
  header->add_option("N", headerLine, "Line number")->required()->check(CLI::Range(1, 3));
  header->add_option("TEXT", headerText, "The text (at most 40 characters are printed)")->required();

  std::vector<std::string> vatRates;
  CLI::App* vat = withDeviceClass(app.add_subcommand("vat", "Show the VAT rates 1-8; `vat set` sends a new table"));
  vat->require_subcommand(0, 1);
  CLI::App* vatSet = withDeviceClass(vat->add_subcommand("set", "Send a new VAT table: N=RATE ..."));
  vatSet->add_option("RATES", vatRates, "VAT number 1-8 = rate in whole percent, e.g. 1=20 2=10")->required();
  vatSet->footer("The rates not named stay as the printer holds them.");

  std::string trainingSwitch;
  CLI::App* training = withDeviceClass(app.add_subcommand("training", "Switch training mode on or off"));
  training->add_option("MODE", trainingSwitch, "on or off")->required()->check(CLI::IsMember({"on", "off"}));

  bool cancelNonFiscal = false;
  CLI::App* cancel = withDeviceClass(
      app.add_subcommand("cancel", "End what is left open at the printer: void an unpaid receipt, close a paid one"));
  cancel->add_flag("--non-fiscal", cancelNonFiscal,
                   "End a non-fiscal document an earlier kestrel left open (the printer cannot tell)");
  cancel->footer(
      "A fiscal receipt not yet paid in full is voided; one paid in full is closed and printed, since the\n"
      "money was taken; a non-fiscal document is ended. With nothing open it says so and exits 0.");

  DetectOptions detect;
  CLI::App* detectCommand = app.add_subcommand("detect", "Find the printer on the serial ports");
  detectCommand->add_option("PORT", detect.ports, "Ports to probe (default: every serial port present)");
  detectCommand->add_option("--write-profile", detect.writeProfile,
                            "Write a profile (.reg) for the first printer found to this new file");
  detectCommand->add_option("--data-directory", detect.dataDirectory,
                            "DataDirectory of the profile written (default as in profiles/serial-port.reg)");
  detectCommand->footer(
      "Each port is taken as the driver takes it, without sharing: one another program holds is skipped\n"
      "untouched. Rates are tried fastest first with a status request. Exit status: 0 a printer was\n"
      "found, 1 none.");

  std::string journalFile;
  CLI::App* journal = app.add_subcommand("journal", "The electronic journal");
  journal->require_subcommand(1, 1);
  journal->fallthrough();
  CLI::App* journalSave =
      withDeviceClass(journal->add_subcommand("save", "Save the journal as FILE.txt and FILE.bin (never over a file)"));
  journalSave->add_option("FILE", journalFile, "File name; a .txt or .bin ending is dropped")->required();

  std::string displayText;
  CLI::App* display = withDeviceClass(app.add_subcommand("display", "Show TEXT on the customer display"));
  display->add_option("TEXT", displayText, "The text (20 characters a row)")->required();

  int healthLevel = 1;
  CLI::App* health = withDeviceClass(app.add_subcommand("health", "Run the printer's health test"));
  health->add_option("LEVEL", healthLevel, "1 internal (printer status), 2 external (fiscal memory)")
      ->check(CLI::Range(1, 2))
      ->capture_default_str();

  int directCommand = 0;
  int directData = 0;
  std::string directString;
  CLI::App* directIO = withDeviceClass(app.add_subcommand("directio", "Send a DirectIO command to the service"));
  directIO->add_option("N", directCommand, "Command number")->required();
  directIO->add_option("DATA", directData, "Whole number (default 0)");
  directIO->add_option("STRING", directString, "Text (default empty)");
  directIO->footer("Prints the data and string the command gives back.");

  kestrel::serve::ServeOptions serveOptions;
  CLI::App* serve = kestrel::serve::AddServeCommand(app, serveOptions);

  const std::vector<std::string> arguments = Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  try {
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& e) {
    if (app.get_subcommands().empty() && ReportUnknownCommand(app, CommandWord(argc, argv))) return kExitBadInput;
    // Help answers 0; every other usage error is bad input.
    return app.exit(e) == 0 ? 0 : kExitBadInput;
  }
  if (!profile.empty() && !UseProfile(profile)) {
    std::cerr << "kestrel: cannot use the profile " << profile << std::endl;
    return kExitBadInput;
  }
  if (*run || *saleCommand) WatchForInterrupts();
  if (!registryView.empty() && !UseRegistryView(registryView == "32" ? 32 : 64)) {
    std::cerr << "kestrel: cannot read the " << registryView << "-bit registry view" << std::endl;
    return kExitBadInput;
  }
  if (*run) return Run(file, keepGoing);
  if (*status) return RunStatus(deviceClass, std::cout, std::cerr);
  if (*saleCommand) return RunSale(sale, std::cout, std::cerr);
  if (*cancel) return RunCancel(target, cancelNonFiscal, std::cout, std::cerr);
  if (*detectCommand) return RunDetect(detect, std::cout, std::cerr);
  if (*methods) return ListMethods();
  if (*xReport) return RunXReport(target, std::cout, std::cerr);
  if (*zReport) return RunZReport(target, std::cout, std::cerr);
  if (*report) return RunReport(target, reportFrom, reportTo, summary, std::cout, std::cerr);
  if (*clockSet) return RunClockSet(target, clockDate, std::cout, std::cerr);
  if (*clock) return RunClockShow(target, std::cout, std::cerr);
  if (*header) return RunHeader(target, headerLine, headerText, std::cout, std::cerr);
  if (*vatSet) return RunVatSet(target, vatRates, std::cout, std::cerr);
  if (*vat) return RunVatShow(target, std::cout, std::cerr);
  if (*training) return RunTraining(target, trainingSwitch == "on", std::cout, std::cerr);
  if (*journalSave) return RunJournalSave(target, journalFile, std::cout, std::cerr);
  if (*display) return RunDisplay(target, displayText, std::cout, std::cerr);
  if (*health) return RunHealth(target, healthLevel, std::cout, std::cerr);
  if (*serve) return kestrel::serve::RunServe(serveOptions, std::cout, std::cerr);
  if (*directIO) return RunDirectIO(target, directCommand, directData, directString, std::cout, std::cerr);
  return kExitBadInput;
}
