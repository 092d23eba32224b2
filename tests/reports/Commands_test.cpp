// The report, service, display and set-up commands as the printer receives
// them, and the argument checks that must refuse without any traffic.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

std::string Spaces(std::size_t n) { return std::string(n, ' '); }

using CommandsTest = ReportsTest;

TEST_F(CommandsTest, ZReportOnSundaySendsWeekdaySevenAndABlankLine) {
  PinClock(LocalTime(2026, 2, 1, 12, 30));  // a Sunday
  ASSERT_EQ(M().Report(true), kSuccess);
  EXPECT_EQ(LastFields("P15"), (Fields{"2",
                                       "20260201123000"
                                       "7",
                                       Spaces(40)}));
  PinClock(LocalTime(2026, 2, 2, 8, 0));  // Monday
  M().Report(false);
  EXPECT_EQ(LastFields("P15"), (Fields{"1",
                                       "20260202080000"
                                       "1",
                                       Spaces(40)}));
}

struct RangeCase {
  const char* from;
  const char* to;
};
void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.from << '-' << c.to; }

class ClosureNumberRefusalTest : public ReportsTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(ClosureNumberRefusalTest, RefusesWithoutTraffic) {
  EXPECT_EQ(M().ReportSummaryByNum(GetParam().from, GetParam().to), kIllegal);
  EXPECT_EQ(M().ReportDetailedByNum(GetParam().from, GetParam().to), kIllegal);
  EXPECT_TRUE(Traffic().empty());
}

INSTANTIATE_TEST_SUITE_P(Numbers, ClosureNumberRefusalTest,
                         ::testing::Values(RangeCase{"0", "5"}, RangeCase{"1", "1000000"}, RangeCase{"", "5"},
                                           RangeCase{"1a", "5"}, RangeCase{"5", "-1"}, RangeCase{" 1", "5"},
                                           RangeCase{"1", "99999999999999999999999"}));

class ReportDateRefusalTest : public ReportsTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(ReportDateRefusalTest, RefusesWithoutTraffic) {
  EXPECT_EQ(M().ReportSummaryByDate(GetParam().from, GetParam().to), kIllegal);
  EXPECT_EQ(M().ReportDetailedByDate(GetParam().from, GetParam().to), kIllegal);
  EXPECT_TRUE(Traffic().empty());
}

INSTANTIATE_TEST_SUITE_P(Dates, ReportDateRefusalTest,
                         ::testing::Values(RangeCase{"01022026153", "280220261530"},    // 11 characters
                                           RangeCase{"0102202615300", "280220261530"},  // 13 characters
                                           RangeCase{"320120261530", "280220261530"},   // day 32
                                           RangeCase{"300220261530", "280220261530"},   // 30 February
                                           RangeCase{"011320261530", "280220261530"},   // month 13
                                           RangeCase{"010220262430", "280220261530"},   // hour 24
                                           RangeCase{"abcdefghijkl", "280220261530"}, RangeCase{"010220261530", ""}));

TEST_F(CommandsTest, RangeReportsSendTheConstantAndTheBounds) {
  EXPECT_EQ(M().ReportDetailedByDate("010220261530", "280220261530"), kSuccess);
  EXPECT_EQ(LastFields("P19"), (Fields{"1", "20260201", "20260228"}));
  M().ReportSummaryByDate("290220241200", "010320240000");  // a leap day
  EXPECT_EQ(LastFields("P17"), (Fields{"1", "20240229", "20240301"}));
  M().ReportSummaryByNum("1", "999999");
  EXPECT_EQ(LastFields("P16"), (Fields{"1", "1", "999999"}));
  M().ReportDetailedByNum("007", "30");  // sent unchanged
  EXPECT_EQ(LastFields("P18"), (Fields{"1", "007", "30"}));
}

struct ClockCase {
  const char* date;
  const char* sent;
};
void PrintTo(const ClockCase& c, std::ostream* os) { *os << c.date; }

class SetClockTest : public ReportsTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(SetClockTest, SendsSecondsZeroAndTheWeekday) {
  M().SetDate(GetParam().date, false, nullptr);
  EXPECT_EQ(LastFields("S02"), (Fields{"2", GetParam().sent}));
}

INSTANTIATE_TEST_SUITE_P(Dates, SetClockTest,
                         ::testing::Values(ClockCase{"311220262359", "202612312359004"},    // Thursday
                                           ClockCase{"010220261200", "202602011200007"},    // Sunday
                                           ClockCase{"020220260000", "202602020000001"}));  // Monday

TEST_F(CommandsTest, SetClockRefusesABadDateWithoutTraffic) {
  EXPECT_EQ(M().SetDate("01022026120", false, nullptr), kIllegal);
  EXPECT_EQ(M().SetDate("0102202612000", false, nullptr), kIllegal);
  EXPECT_EQ(M().SetDate("310220261200", false, nullptr), kIllegal);
  EXPECT_EQ(M().SetDate(nullptr, false, nullptr), kIllegal);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(CommandsTest, ReadingTheClockGivesFourteenDigits) {
  char out[15];
  std::memset(out, 'x', sizeof out);
  ASSERT_EQ(M().SetDate(nullptr, true, out), kSuccess);
  EXPECT_EQ(LastFields("S02"), (Fields{"1"}));
  EXPECT_EQ(std::strlen(out), 14u);
  EXPECT_EQ(M().SetDate(nullptr, true, nullptr), kSuccess);  // no buffer to fill
}

TEST_F(CommandsTest, DisplayTextAtPlacesTheCursorFromOne) {
  ASSERT_EQ(M().DisplayTextAt("AB", 1, 0), kSuccess);
  EXPECT_EQ(LastFields("D02"), (Fields{"1B5B"
                                       "32"
                                       "3B"
                                       "31"
                                       "48"
                                       "4142"}));
  M().DisplayTextAt("\xE1", 0, 14);  // á is 0xA0 in code page 852
  EXPECT_EQ(LastFields("D02"), (Fields{"1B5B"
                                       "31"
                                       "3B"
                                       "3135"
                                       "48"
                                       "A0"}));
}

TEST_F(CommandsTest, DisplayTextAtTakesAnyRowAndColumnNumber) {
  M().DisplayTextAt("", 2147483647, -2147483647 - 1);
  EXPECT_EQ(LastFields("D02"), (Fields{"1B5B"
                                       "32313437343833363438"
                                       "3B"
                                       "2D32313437343833363437"
                                       "48"}));
}

TEST_F(CommandsTest, FiscalParametersSendTwoDigitItemsAndTheOptionalSecondValue) {
  M().SetFiscalParams(7, "abc", nullptr);
  EXPECT_EQ(LastFields("F01"), (Fields{"07", "abc"}));
  M().SetFiscalParams(70, "a", "b");
  EXPECT_EQ(LastFields("F01"), (Fields{"70", "a", "b"}));
  Forget();
  EXPECT_EQ(M().SetFiscalParams(123, "x", nullptr), kIllegal);
  EXPECT_EQ(M().SetFiscalParams(-1, "x", nullptr), kIllegal);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(CommandsTest, ReceiptIdQuestion) {
  EXPECT_FALSE(M().ReceiptIdExists("12345678901234567"));  // 17 characters
  EXPECT_TRUE(Traffic().empty());
  EXPECT_FALSE(M().ReceiptIdExists("42"));  // the printer refuses an unknown id
  EXPECT_EQ(LastFields("P25"), (Fields{"0000000000000042"}));
  Inject("noreply 3");
  EXPECT_TRUE(M().ReceiptIdExists("42"));  // no answer reads as known
}

TEST_F(CommandsTest, ReceiptIdQuestionNeedsFirmware222) {
  Start("2.5.21");
  EXPECT_FALSE(M().ReceiptIdExists("42"));
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(CommandsTest, SwitchesSendTheirFlag) {
  M().TrainingMode(true);
  EXPECT_EQ(LastFields("T02"), (Fields{"2"}));
  M().TrainingMode(false);
  EXPECT_EQ(LastFields("T02"), (Fields{"1"}));
  M().PrintEnabled(false);
  EXPECT_EQ(LastFields("T03"), (Fields{"0"}));
  M().PrintEnabled(true);
  EXPECT_EQ(LastFields("T03"), (Fields{"1"}));
  M().Fiscalize(123456);
  EXPECT_EQ(LastFields("F02"), (Fields{"123456"}));
}

struct SimpleCase {
  const char* code;
  std::function<int(Messaging&)> call;
};
void PrintTo(const SimpleCase& c, std::ostream* os) { *os << c.code; }

class SimpleCommandTest : public ReportsTest, public ::testing::WithParamInterface<SimpleCase> {};

TEST_P(SimpleCommandTest, SendsItsCodeWithoutFields) {
  GetParam().call(M());
  ASSERT_EQ(Codes(), (std::vector<std::string>{GetParam().code}));
  EXPECT_TRUE(LastFields(GetParam().code).empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, SimpleCommandTest,
                         ::testing::Values(SimpleCase{"P21", [](Messaging& m) { return m.PrintJournal(); }},
                                           SimpleCase{"S05", [](Messaging& m) { return m.ClearOperatingMemory(); }},
                                           SimpleCase{"S06", [](Messaging& m) { return m.ConfirmService(); }},
                                           SimpleCase{"S07", [](Messaging& m) { return m.ConfirmMemNearFull(); }},
                                           SimpleCase{"S11", [](Messaging& m) { return m.OpenDrawer(); }},
                                           SimpleCase{"S12", [](Messaging& m) { return m.CancelCommand(); }},
                                           SimpleCase{"S13", [](Messaging& m) { return m.ClearServiceInterval(); }},
                                           SimpleCase{"S14", [](Messaging& m) { return m.ClearFiscalModule(); }},
                                           SimpleCase{"T01", [](Messaging& m) { return m.TestFM(); }}));

TEST_F(CommandsTest, NonFiscalStartPrintsLogoAndHeaderOnTheRoll) {
  ASSERT_EQ(M().StartNonFiscal(kStationReceipt, Texts()), kSuccess);
  EXPECT_EQ(LastFields("P01"), (Fields{"1"}));
  const std::vector<Fields> pieces = Requests("P20");
  ASSERT_FALSE(pieces.empty());
  ASSERT_GE(pieces.front().size(), 4u);
  EXPECT_EQ(pieces.front()[1], Spaces(40));  // two blank lines before the header
  EXPECT_EQ(pieces.front()[2], Spaces(40));
  EXPECT_NE(pieces.front()[3], Spaces(40));
  EXPECT_EQ(pieces.back().back(), Spaces(40));  // one after it
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateNonFiscal);
}

TEST_F(CommandsTest, NonFiscalStartStopsAtAFailedLogoButNotAtAMissingOne) {
  Inject("reply P01 44");  // refused: 106, the document goes on
  EXPECT_EQ(M().StartNonFiscal(kStationReceipt, Texts()), kSuccess);
  M().SetFiscalPrinterState(kPrinterStateMonitor);
  Forget();
  Inject("reply P01 41");  // a day closure is due: nothing is printed
  EXPECT_EQ(M().StartNonFiscal(kStationReceipt, Texts()), kDayEndRequired);
  EXPECT_EQ(Count("P20"), 0);
  EXPECT_EQ(M().GetFiscalPrinterState(false), kPrinterStateMonitor);
}

TEST_F(CommandsTest, NonFiscalStartOnTheSlipHasNoLogo) {
  Start("2.5.23", true);
  Inject("slip in");
  M().SetPrinter("1B6330041B1601");
  Forget();
  ASSERT_EQ(M().StartNonFiscal(kStationSlip, Texts()), kSuccess);
  EXPECT_EQ(Count("P01"), 0);
  EXPECT_EQ(Count("P20"), 0);
  EXPECT_GT(Count("P22"), 0);
}

}  // namespace
}  // namespace kestrel::testing
