// The display methods and the electronic journal methods, through
// FiscalPrinter.
#include <gtest/gtest.h>

#include <string>

#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

using DisplayTest = ReportsTest;

TEST_F(DisplayTest, TextFillsTheWholeDisplay) {
  int32_t r = -1;
  const std::string fifty = "0123456789ABCDEFGHIJklmnopqrstuvwxyz0123456789abcd";
  fp_.DisplayText(fifty.c_str(), 0, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("D01"), (Fields{fifty.substr(0, 20), fifty.substr(20, 20)}));
  fp_.DisplayText("Ahoj\t!", 0, &r);  // control characters dropped
  EXPECT_EQ(LastFields("D01"), (Fields{"Ahoj!" + std::string(15, ' '), std::string(20, ' ')}));
  fp_.ClearText(&r);
  EXPECT_EQ(LastFields("D01"), (Fields{std::string(20, ' '), std::string(20, ' ')}));
}

TEST_F(DisplayTest, WorksWhenClaimedButNotEnabled) {
  ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0), 0);
  Forget();
  int32_t r = -1;
  fp_.DisplayText("Vitajte", 0, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Count("D01"), 1);
  fp_.DisplayTextAt(1, 2, "x", 0, &r);
  EXPECT_EQ(r, kSuccess);
  fp_.ReleaseDevice(&r);
  fp_.DisplayText("Vitajte", 0, &r);
  EXPECT_EQ(r, kNotClaimed);
  EXPECT_EQ(ErrorString(), text::kTextNotClaimed);
  fp_.CloseService(&r);
  fp_.DestroyWindow(&r);
  EXPECT_EQ(r, kClosed);
}

TEST_F(DisplayTest, TextAtAPosition) {
  int32_t r = -1;
  fp_.DisplayTextAt(1, 3, "AB", 0, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("D02"), (Fields{"1B5B323B344841"
                                       "42"}));
  EXPECT_EQ(server_->WithDevice([](emulator::Device& d) { return d.Core().DisplayRows(); })[1].substr(3, 2), "AB");
  fp_.DisplayTextAt(0, 0, "Hore", 0, &r);  // the whole display is rewritten
  EXPECT_EQ(LastFields("D01"), (Fields{"Hore" + std::string(16, ' '), std::string(20, ' ')}));
  Forget();
  for (auto [row, column] : {std::pair{2, 0}, std::pair{0, 20}, std::pair{-1, 0}, std::pair{0, -1}}) {
    fp_.DisplayTextAt(row, column, "x", 0, &r);
    EXPECT_EQ(r, kIllegal) << row << "," << column;
    EXPECT_EQ(ErrorString(), text::kTextBadValue);
  }
  EXPECT_TRUE(Traffic().empty());  // display errors are never shown on the display
}

TEST_F(DisplayTest, JournalPrintAndSave) {
  SellOne();
  Forget();
  int32_t r = -1;
  fp_.PrintContentFile("whatever.txt", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"P21"}));
  const std::string target = profile_.Dir() + "/query";
  fp_.QueryContent(target.c_str(), "", "", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
  ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0), 0);
  fp_.PrintContent("", "", &r);
  EXPECT_EQ(r, kDisabled);
}

}  // namespace
}  // namespace kestrel::testing
