// The technician's commands: against the virtual printer for what they do to
// it, and through the built program for arguments it must refuse before
// anything reaches the printer.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/SaleCommand.h"
#include "cli/TechnicianCommands.h"
#include "emulator/PtyServer.h"
#include "tests/support/BuiltPrograms.h"
#include "tests/support/PrinterOnProfile.h"
#include "tests/support/SingletonReset.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

class TechnicianOnPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::UseFastSleep(10);
    SingletonReset::All();
    testing::ServePrinterOnProfile(profile_, printer_);
  }

  void Sell() {
    SaleOptions sale;
    sale.items = {"Rožok", "0.15x4", "1"};
    ASSERT_EQ(RunSale(sale, out_, err_), 0) << err_.str();
    out_.str("");
  }

  template <typename F>
  auto Device(F f) {
    return printer_->WithDevice([&](emulator::Device& device) { return f(device.Core()); });
  }

  testing::TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> printer_;
  Target target_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(TechnicianOnPrinter, XReportPrintsAndKeepsTheDayOpen) {
  Sell();
  const std::size_t before = printer_->Paper().size();
  const int closures = Device([](emulator::Printer& p) { return p.ClosureNumber(); });
  EXPECT_EQ(RunXReport(target_, out_, err_), 0) << err_.str();
  EXPECT_EQ(out_.str(), "X report printed.\n");
  EXPECT_GT(printer_->Paper().size(), before);
  EXPECT_EQ(Device([](emulator::Printer& p) { return p.ClosureNumber(); }), closures);
  EXPECT_GT(Device([](emulator::Printer& p) { return p.DailyTotal(); }), 0);
}

TEST_F(TechnicianOnPrinter, ZReportClosesTheDay) {
  Sell();
  const int closures = Device([](emulator::Printer& p) { return p.ClosureNumber(); });
  EXPECT_EQ(RunZReport(target_, out_, err_), 0) << err_.str();
  EXPECT_NE(out_.str().find("the day is closed"), std::string::npos) << out_.str();
  EXPECT_EQ(Device([](emulator::Printer& p) { return p.ClosureNumber(); }), closures + 1);
  EXPECT_EQ(Device([](emulator::Printer& p) { return p.DailyTotal(); }), 0);
}

TEST_F(TechnicianOnPrinter, JournalIsSavedOnceAndNeverOverAFile) {
  Sell();
  const std::string base = profile_.Dir() + "/day";
  EXPECT_EQ(RunJournalSave(target_, base, out_, err_), 0) << err_.str();
  EXPECT_TRUE(std::filesystem::exists(base + ".txt"));
  EXPECT_TRUE(std::filesystem::exists(base + ".bin"));
  EXPECT_NE(out_.str().find("Journal saved: " + base + ".txt and " + base + ".bin"), std::string::npos) << out_.str();

  // Either spelling of the same pair is refused before the printer is asked.
  const std::size_t exchanges = printer_->Trace().size();
  for (const std::string& name : {base, base + ".txt", base + ".bin"}) {
    err_.str("");
    EXPECT_EQ(RunJournalSave(target_, name, out_, err_), 2) << name;
    EXPECT_NE(err_.str().find(base + ".txt already exists"), std::string::npos) << err_.str();
  }
  EXPECT_EQ(printer_->Trace().size(), exchanges);
  // Only the binary half present is refused too, so a pair is never mixed.
  testing::WriteWholeFile(profile_.Dir() + "/other.bin", "x");
  EXPECT_EQ(RunJournalSave(target_, profile_.Dir() + "/other", out_, err_), 2);
  EXPECT_FALSE(std::filesystem::exists(profile_.Dir() + "/other.txt"));
  EXPECT_EQ(RunJournalSave(target_, profile_.Dir() + "/missing/day", out_, err_), 2);
  // Nothing new since the save: not reported as saved.
  err_.str("");
  EXPECT_EQ(RunJournalSave(target_, profile_.Dir() + "/again", out_, err_), 1);
  EXPECT_NE(err_.str().find("no file was written"), std::string::npos) << err_.str();
  // A name outside ASCII reaches the file system as typed.
  Sell();
  EXPECT_EQ(RunJournalSave(target_, profile_.Dir() + "/žurnál.txt", out_, err_), 0) << err_.str();
  EXPECT_TRUE(std::filesystem::exists(profile_.Dir() + "/žurnál.txt"));
}

TEST_F(TechnicianOnPrinter, DisplayShowsTheTextInWindows1250) {
  EXPECT_EQ(RunDisplay(target_, "Vitajte, Ľubo", out_, err_), 0) << err_.str();
  const auto rows = Device([](emulator::Printer& p) { return p.DisplayRows(); });
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].substr(0, rows[0].find_last_not_of(' ') + 1), "Vitajte, Ľubo");
}

TEST_F(TechnicianOnPrinter, HealthReportsBothTests) {
  EXPECT_EQ(RunHealth(target_, 1, out_, err_), 0) << err_.str();
  EXPECT_EQ(RunHealth(target_, 2, out_, err_), 0) << err_.str();
  EXPECT_EQ(out_.str(), "Health: Internal Test: OK.\nHealth: External Test: OK.\n");
  EXPECT_EQ(RunHealth(target_, 3, out_, err_), 2);
}

TEST_F(TechnicianOnPrinter, HealthFailureNamesTheResult) {
  ASSERT_EQ(printer_->Inject("cover open"), "ok");
  EXPECT_EQ(RunHealth(target_, 1, out_, err_), 1);
  EXPECT_NE(out_.str().find("Health: Internal Test: Failed."), std::string::npos) << out_.str();
  EXPECT_NE(err_.str().find("kestrel: the internal test failed: "), std::string::npos) << err_.str();
}

TEST_F(TechnicianOnPrinter, DirectIOPrintsWhatComesBackAndRefusalsTheirText) {
  EXPECT_EQ(RunDirectIO(target_, 144, 1, "", out_, err_), 0) << err_.str();
  EXPECT_EQ(out_.str(), "DirectIO 144: data 1, string \"\"\n");
  EXPECT_EQ(RunDirectIO(target_, 146, 0, "123", out_, err_), 1);
  EXPECT_NE(err_.str().find("kestrel: DirectIO 146 failed: 106 Neplatná hodnota"), std::string::npos) << err_.str();
}

TEST_F(TechnicianOnPrinter, ClockAndVatTableRoundTrip) {
  EXPECT_EQ(RunClockSet(target_, "071220262330", out_, err_), 0) << err_.str();
  out_.str("");
  EXPECT_EQ(RunClockShow(target_, out_, err_), 0) << err_.str();
  EXPECT_NE(out_.str().find("Printer clock: 07.12.2026 23:3"), std::string::npos) << out_.str();

  out_.str("");
  EXPECT_EQ(RunVatShow(target_, out_, err_), 0) << err_.str();
  const std::string before = out_.str();
  const std::size_t at = before.find("VAT 3: ");
  ASSERT_NE(at, std::string::npos) << before;
  const std::string third = before.substr(at, before.find('\n', at) + 1 - at);
  ASSERT_NE(third, "VAT 3: 0 %\n");  // else the check below could not tell a kept rate from a zeroed one
  out_.str("");
  EXPECT_EQ(RunVatSet(target_, {"1=21", "2=5"}, out_, err_), 0) << err_.str();
  out_.str("");
  EXPECT_EQ(RunVatShow(target_, out_, err_), 0) << err_.str();
  // The rates not named keep their values.
  EXPECT_NE(out_.str().find("VAT 1: 21 %\nVAT 2: 5 %\n" + third), std::string::npos) << out_.str() << before;
}

TEST_F(TechnicianOnPrinter, TrainingModeSwitchesAndHeaderIsSet) {
  EXPECT_EQ(RunTraining(target_, true, out_, err_), 0) << err_.str();
  EXPECT_TRUE(Device([](emulator::Printer& p) { return p.TrainingMode(); }));
  EXPECT_EQ(RunTraining(target_, false, out_, err_), 0) << err_.str();
  EXPECT_FALSE(Device([](emulator::Printer& p) { return p.TrainingMode(); }));
  EXPECT_EQ(RunHeader(target_, 2, "Potraviny Šťastná", out_, err_), 0) << err_.str();
  EXPECT_NE(out_.str().find("Header line 2 set to \"Potraviny Šťastná\"."), std::string::npos) << out_.str();
}

TEST_F(TechnicianOnPrinter, ReportsByClosureAndByDate) {
  Sell();
  ASSERT_EQ(RunZReport(target_, out_, err_), 0) << err_.str();
  out_.str("");
  EXPECT_EQ(RunReport(target_, "1", "1", false, out_, err_), 0) << err_.str();
  EXPECT_EQ(RunReport(target_, "01012020", "31122099", true, out_, err_), 0) << err_.str();
  EXPECT_EQ(out_.str(),
            "Detailed report printed: closures 1 to 1.\n"
            "Summary report printed: 01.01.2020 00:00 to 31.12.2099 00:00.\n");
}

TEST_F(TechnicianOnPrinter, UnreachablePrinterIsAFailure) {
  ASSERT_EQ(printer_->Inject("off"), "ok");
  EXPECT_EQ(RunXReport(target_, out_, err_), 1);
  EXPECT_NE(err_.str().find("does not answer"), std::string::npos) << err_.str();
  EXPECT_EQ(out_.str(), "");
}

TEST(TechnicianArguments, DatesAndVatRates) {
  const struct {
    const char* text;
    const char* date;  // null: refused
  } dates[] = {
      {"071220262330", "071220262330"},
      {"29022024", "290220240000"},
      {"29022025", nullptr},
      {"310420261200", nullptr},
      {"071220262400", nullptr},
      {"0712202623", nullptr},
      {"07122026233a", nullptr},
      {"", nullptr},
      {"00012026", nullptr},
  };
  for (const auto& c : dates) {
    std::string date;
    EXPECT_EQ(NormaliseDate(c.text, date), c.date != nullptr) << c.text;
    if (c.date != nullptr) {
      EXPECT_EQ(date, c.date) << c.text;
    }
  }
  const struct {
    const char* text;
    int32_t id;
    const char* value;  // null: refused
  } rates[] = {{"1=20", 1, "20"},    {"8=5", 8, "05"},      {"2=0", 2, "00"},     {"9=20", 0, nullptr},
               {"0=20", 0, nullptr}, {"1=100", 0, nullptr}, {"1=-5", 0, nullptr}, {"1=", 0, nullptr},
               {"=20", 0, nullptr},  {"120", 0, nullptr},   {"1=2.5", 0, nullptr}};
  for (const auto& c : rates) {
    int32_t id = 0;
    std::string value;
    EXPECT_EQ(ParseVatAssignment(c.text, id, value), c.value != nullptr) << c.text;
    if (c.value != nullptr) {
      EXPECT_EQ(id, c.id) << c.text;
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

int RunProgram(const std::string& arguments, std::string& output) {
  const std::string command = testing::BuiltProgram("kestrel") + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// No printer and no profile: each of these must stop at its arguments.
TEST(TechnicianProgram, RefusesBadArgumentsBeforeTheStart) {
  testing::TestProfile profile;
  const char* refused[] = {
      "clock set 3112202", "clock set 310220261200",
      "clock now",         "header 4 Text",
      "header 1",          "health 3",
      "health x",          "directio",
      "directio abc",      "directio 135 x",
      "training maybe",    "vat set 9=20",
      "vat set 1=100",     "vat set",
      "report 1 01122026", "report 5 1",
      "report 0 3",        "journal",
      "journal save",      "display",
      "x-report extra",
  };
  for (const char* arguments : refused) {
    std::string output;
    EXPECT_EQ(RunProgram(arguments, output), 2) << arguments << "\n" << output;
    EXPECT_EQ(output.find("cannot open the printer"), std::string::npos) << arguments << "\n" << output;
  }
}

TEST(TechnicianProgram, HelpForEachCommand) {
  const char* commands[] = {"x-report", "z-report", "report",  "clock",        "clock set", "header", "vat",
                            "vat set",  "training", "journal", "journal save", "display",   "health", "directio"};
  for (const char* command : commands) {
    std::string output;
    EXPECT_EQ(RunProgram(std::string(command) + " --help", output), 0) << command << "\n" << output;
    EXPECT_NE(output.find("Usage:"), std::string::npos) << command << "\n" << output;
  }
}

}  // namespace
}  // namespace kestrel::cli
