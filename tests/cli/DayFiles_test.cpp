// What the tool reports from the printer rather than from the service's
// files, and what it says when those files cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/SaleCommand.h"
#include "cli/TechnicianCommands.h"
#include "tests/cli/OnPrinter.h"

namespace kestrel::cli {
namespace {

using DayFiles = OnVirtualPrinter;

SaleOptions OneItem() {
  SaleOptions sale;
  sale.items = {"Rožok", "0.15x4", "1"};
  return sale;
}

TEST_F(DayFiles, SaleShowsThePrintersReceiptNumberNotTheCounterFile) {
  // A counter file that can be neither read nor written: a directory in its place.
  std::filesystem::create_directory(profile_.DataFile("kstr_jrn_rec.txt"));
  for (const char* expected : {"Receipt 1 printed.\n", "Receipt 2 printed.\n"}) {
    ClearStreams();
    ASSERT_EQ(RunSale(OneItem(), out_, err_), 0) << err_.str();
    const std::string out = out_.str();
    EXPECT_EQ(out.substr(out.size() - std::string(expected).size()), expected) << out;
  }
}

TEST_F(DayFiles, ZReportSaysWhichClosedDayFilesCouldNotBeWritten) {
  ASSERT_EQ(RunSale(OneItem(), out_, err_), 0) << err_.str();
  ClearStreams();
  std::filesystem::remove(profile_.DataFile("kstr_jrn_rec.txt"));
  std::filesystem::create_directory(profile_.DataFile("kstr_jrn_rec.txt"));
  std::filesystem::remove(profile_.DataFile("kstr_jrn_eod.txt"));
  std::filesystem::create_directory(profile_.DataFile("kstr_jrn_eod.txt"));
  const int closures = Core([](emulator::Printer& p) { return p.ClosureNumber(); });
  // The printer closed the day: that is done, and not a failure.
  EXPECT_EQ(RunZReport(Target{}, out_, err_), 0) << err_.str();
  EXPECT_EQ(Core([](emulator::Printer& p) { return p.ClosureNumber(); }), closures + 1);
  EXPECT_EQ(out_.str(), "Z report printed; the day is closed.\n");
  EXPECT_NE(err_.str().find("the printer closed the day, but the service could not write its closed-day files: "
                            "kstr_jrn_eod.txt, kstr_jrn_rec.txt"),
            std::string::npos)
      << err_.str();
}

TEST_F(DayFiles, ZReportIsQuietWhenTheFilesAreWritten) {
  ASSERT_EQ(RunSale(OneItem(), out_, err_), 0) << err_.str();
  ClearStreams();
  EXPECT_EQ(RunZReport(Target{}, out_, err_), 0) << err_.str();
  EXPECT_EQ(err_.str(), "");
}

}  // namespace
}  // namespace kestrel::cli
