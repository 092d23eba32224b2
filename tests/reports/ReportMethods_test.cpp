// Reports, the day closure and the data, date, totaliser, VAT and training
// methods, through FiscalPrinter.
#include <gtest/gtest.h>

#include <string>

#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

using ReportMethodsTest = ReportsTest;

TEST_F(ReportMethodsTest, DetailedReportByNumbersChecksTheRangeFirst) {
  int32_t r = -1;
  fp_.PrintReport(1, "0", "5", &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(Count("P18"), 0);
  fp_.PrintReport(1, "1", "5", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P18"), (Fields{"1", "1", "5"}));
  fp_.PrintReport(3, "2", "4", &r);  // closure ordinals take the same road
  EXPECT_EQ(LastFields("P18"), (Fields{"1", "2", "4"}));
}

TEST_F(ReportMethodsTest, DetailedReportByDate) {
  int32_t r = -1;
  fp_.PrintReport(2, "abcdefghijkl", "280220261530", &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(Count("P19"), 0);
  fp_.PrintReport(2, "010220260000", "280220262359", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P19"), (Fields{"1", "20260201", "20260228"}));
}

TEST_F(ReportMethodsTest, PeriodicTotalsFallBackFromDatesToClosureNumbers) {
  int32_t r = -1;
  fp_.PrintPeriodicTotalsReport("1", "30", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Count("P17"), 0);
  EXPECT_EQ(LastFields("P16"), (Fields{"1", "1", "30"}));
  fp_.PrintPeriodicTotalsReport("010120260000", "310120260000", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P17"), (Fields{"1", "20260101", "20260131"}));
  Forget();
  fp_.PrintPeriodicTotalsReport("x", "30", &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(Count("P16") + Count("P17"), 0);
}

TEST_F(ReportMethodsTest, ReportsNeedTheMonitorState) {
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  ASSERT_EQ(r, 0);
  fp_.PrintXReport(&r);
  EXPECT_EQ(r, kWrongState);
  EXPECT_EQ(ErrorString(), text::kTextWrongState);
  EXPECT_EQ(Count("P15"), 0);
}

TEST_F(ReportMethodsTest, ZReportClosesTheServiceDay) {
  SellOne();
  ASSERT_NE(Journal::Instance().GetReceiptNumber(), 0);
  ASSERT_TRUE(Journal::Instance().GetEODTransactions());
  int32_t r = -1;
  fp_.PrintZReport(&r);
  ASSERT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P15")[0], "2");
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), 0);
  EXPECT_FALSE(Journal::Instance().GetEODTransactions());
  EXPECT_EQ(Stored(JournalFile::kCheckCode), std::string(Journal::kCheckCodeSize, '\0'));
  // The closed day's text journal is kept for other software.
  EXPECT_NE(Stored(JournalFile::kEodContent).find("Chlieb"), std::string::npos);
  EXPECT_GT(Count("S03"), 0);  // header rebuilt from the printer
  std::string data;
  fp_.GetData(3, nullptr, &data, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(data, "0");
}

class RefusedZReportTest : public ReportsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedZReportTest, LeavesTheJournalBookkeepingAlone) {
  SellOne();
  const std::string text = Stored(JournalFile::kTmpText);
  const std::string eod = Stored(JournalFile::kEod);
  const int number = Journal::Instance().GetReceiptNumber();
  Forget();
  Inject(GetParam());
  int32_t r = -1;
  fp_.PrintZReport(&r);
  EXPECT_NE(r, kSuccess);
  EXPECT_EQ(Stored(JournalFile::kTmpText), text);
  EXPECT_EQ(Stored(JournalFile::kEod), eod);
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), number);
  EXPECT_EQ(Count("S04"), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, RefusedZReportTest,
                         ::testing::Values("reply P15 47", "noreply 3 P15", "reply P15 12 always"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           return std::to_string(param.index);
                         });

TEST_F(ReportMethodsTest, GetDataAnswers) {
  int32_t r = -1;
  int32_t opt = 7;
  std::string data = "stale";
  fp_.GetData(4, &opt, &data, &r);  // not an item: empty and fine
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(data, "");
  EXPECT_EQ(opt, 0);
  fp_.GetData(10, nullptr, &data, &r);
  EXPECT_EQ(data, "2.5.23");
  fp_.GetData(55, nullptr, &data, &r);
  EXPECT_EQ(data, "0");
  Inject("eod on");
  fp_.GetData(55, nullptr, &data, &r);
  EXPECT_EQ(data, "1");
  Inject("confirm service on");
  fp_.GetData(56, nullptr, &data, &r);
  EXPECT_EQ(data, "1");
  fp_.GetData(57, nullptr, &data, &r);
  EXPECT_EQ(data, "0");
  fp_.GetData(7, nullptr, nullptr, &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
}

TEST_F(ReportMethodsTest, GetDataDuringAReceipt) {
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  fp_.PrintRecItem("Chlieb", 25000, 10000, 1, 0, "", &r);
  std::string data = "stale";
  fp_.GetData(2, nullptr, &data, &r);  // no daily total inside a receipt
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(data, "");
  fp_.GetData(1, nullptr, &data, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(data, "2.50");
  fp_.GetData(3, nullptr, &data, &r);
  EXPECT_EQ(data, "1");  // the printer's number of the open receipt
}

class GetDataWithoutPrinterTest : public ReportsTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(GetDataWithoutPrinterTest, ReportsTheFailureInsteadOfAnEmptyAnswer) {
  Inject("off");
  int32_t r = -1;
  std::string data = "stale";
  fp_.GetData(GetParam(), nullptr, &data, &r);
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(data, "");
}

INSTANTIATE_TEST_SUITE_P(Items, GetDataWithoutPrinterTest, ::testing::Values(1, 2, 3, 7, 9, 10, 55, 56, 57, 58));

TEST_F(ReportMethodsTest, ClockRoundTrip) {
  int32_t r = -1;
  fp_.SetDate("311220262359", &r);
  ASSERT_EQ(r, kSuccess);
  std::string date;
  fp_.GetDate(&date, &r);
  ASSERT_EQ(r, kSuccess);
  EXPECT_EQ(date, "311220262359");
  fp_.SetDate("31122026235", &r);
  EXPECT_EQ(r, kIllegal);
  fp_.GetDate(nullptr, &r);
  EXPECT_EQ(r, kIllegal);
}

TEST_F(ReportMethodsTest, ConfigurationDateComesFromFiscalDataAndMustBeADate) {
  ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kDateType, opos::kDateTypeConf), 0);
  int32_t r = -1;
  std::string date;
  fp_.GetDate(&date, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("S03"), (Fields{"13"}));
  EXPECT_EQ(date.size(), 12u);
  fp_.SetPropertyNumber(opos::pidx::kDateType, opos::kDateTypeRtc);
  Inject("reply S02 00");  // an answer without a time stamp
  date = "stale";
  fp_.GetDate(&date, &r);
  EXPECT_NE(r, kSuccess);
  EXPECT_EQ(date, "");
}

TEST_F(ReportMethodsTest, TotalizerAfterAReceipt) {
  SellOne();
  int32_t r = -1;
  std::string data;
  fp_.GetTotalizer(1, 17, &data, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(data, "A20");
  fp_.GetTotalizer(1, 2, &data, &r);
  EXPECT_EQ(data, "0.83");
  fp_.GetTotalizer(1, 16, &data, &r);
  EXPECT_EQ(data, "0.17");
  fp_.GetTotalizer(1, 99, &data, &r);
  EXPECT_EQ(data, "");
  fp_.GetTotalizer(9, 17, &data, &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadVat);
}

TEST_F(ReportMethodsTest, VatEntryReadsTheRate) {
  int32_t r = -1;
  int32_t rate = -1;
  fp_.GetVatEntry(2, 0, &rate, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(rate, 10);
  EXPECT_EQ(LastFields("S03"), (Fields{"52"}));
  fp_.GetVatEntry(0, 0, &rate, &r);
  EXPECT_EQ(r, kIllegal);
}

TEST_F(ReportMethodsTest, TrainingSwitchesOnlyWhenNeeded) {
  int32_t r = -1;
  fp_.EndTraining(&r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Count("T02"), 0);
  fp_.BeginTraining(&r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("T02"), (Fields{"2"}));
  EXPECT_TRUE(WithPrinter([](emulator::Printer& p) { return p.TrainingMode(); }));
  Forget();
  fp_.BeginTraining(&r);
  EXPECT_EQ(Count("T02"), 0);
  fp_.EndTraining(&r);
  EXPECT_EQ(LastFields("T02"), (Fields{"1"}));
}

TEST_F(ReportMethodsTest, TrainingSwitchesReportAPrinterThatCannotTell) {
  int32_t r = -1;
  fp_.BeginTraining(&r);
  Inject("reply S01 99 always");
  fp_.EndTraining(&r);
  EXPECT_EQ(r, kFailure);
  EXPECT_EQ(Count("T02"), 1);
}

TEST_F(ReportMethodsTest, ResetPrinterEndsWhateverIsOpen) {
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  fp_.ResetPrinter(&r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_FALSE(WithPrinter([](emulator::Printer& p) { return p.ReceiptOpen(); }));
  EXPECT_EQ(Number(opos::pidx::kPrinterState), kPrinterStateMonitor);
}

// Refusals do not stop the reset; silence does, and is no success.
TEST_F(ReportMethodsTest, ResetPrinterGoesOnAfterRefusalsAndStopsAtSilence) {
  Inject("reply S12 48");
  int32_t r = -1;
  fp_.ResetPrinter(&r);
  EXPECT_EQ(r, kSuccess);
  Forget();
  Inject("off");
  fp_.ResetPrinter(&r);
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"S12", "S12", "S12"}));
}

}  // namespace
}  // namespace kestrel::testing
