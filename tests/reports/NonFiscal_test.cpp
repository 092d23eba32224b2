// Non-fiscal documents, the slip station, header lines, VAT rates and the
// administrative calls, through FiscalPrinter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

using NonFiscalTest = ReportsTest;

// Requests of the slip sensor among the raw printer sequences.
int SlipReads(const std::vector<Fields>& raw) {
  int n = 0;
  for (const Fields& f : raw) n += !f.empty() && f[0] == "1D0405" ? 1 : 0;
  return n;
}

TEST_F(NonFiscalTest, ADocumentOnTheRoll) {
  int32_t r = -1;
  fp_.BeginNonFiscal(&r);
  ASSERT_EQ(r, kSuccess);
  EXPECT_EQ(Requests("P22").front(), (Fields{"1B4500"}));
  EXPECT_EQ(Number(opos::pidx::kPrinterState), kPrinterStateNonFiscal);
  fp_.PrintNormal(2, "Ahoj svet", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P20"), (Fields{"0", "Ahoj svet" + std::string(31, ' ')}));
  Forget();
  fp_.PrintNormal(1, "journal only", &r);  // the printer keeps its journal itself
  fp_.PrintNormal(4, "no slip selected", &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_TRUE(Traffic().empty());
  fp_.EndNonFiscal(&r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Number(opos::pidx::kPrinterState), kPrinterStateMonitor);
  EXPECT_NE(server_->Paper().find("Ahoj svet"), std::string::npos);
}

TEST_F(NonFiscalTest, StateChecks) {
  int32_t r = -1;
  fp_.EndNonFiscal(&r);
  EXPECT_EQ(r, kWrongState);
  fp_.BeginNonFiscal(&r);
  fp_.BeginNonFiscal(&r);
  EXPECT_EQ(r, kWrongState);
}

TEST_F(NonFiscalTest, SlipInsertionWaitsInHalfSecondSteps) {
  Start("2.5.23", true);
  int32_t r = -1;
  fp_.BeginInsertion(1200, &r);  // two waits at most
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(SlipReads(Requests("P22")), 3);
  Forget();
  fp_.BeginInsertion(400, &r);  // no wait at all
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(SlipReads(Requests("P22")), 1);
  fp_.EndInsertion(&r);
  EXPECT_EQ(r, kSlipEmpty);
  fp_.BeginInsertion(0, &r);
  EXPECT_EQ(r, kIllegal);
  fp_.BeginRemoval(-1, &r);
  EXPECT_EQ(r, kIllegal);
}

TEST_F(NonFiscalTest, ASlipDocumentFromInsertionToRemoval) {
  Start("2.5.23", true);
  Inject("slip in");
  int32_t r = -1;
  fp_.BeginInsertion(1000, &r);
  ASSERT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P22"), (Fields{"1B6330041B1601"}));
  fp_.EndInsertion(&r);
  EXPECT_EQ(r, kSuccess);
  fp_.BeginNonFiscal(&r);
  ASSERT_EQ(r, kSuccess);
  EXPECT_EQ(Count("P01"), 0);  // no logo on the slip
  Forget();
  fp_.PrintNormal(4, "\x8Akoda", &r);  // Š is 0xE6 in code page 852
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("P22"), (Fields{"E66B6F64610D"}));
  fp_.EndNonFiscal(&r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Count("P20"), 0);  // no trailer or cut on the slip
  fp_.EndRemoval(&r);
  EXPECT_EQ(r, kSlipForm);
  fp_.BeginRemoval(1000, &r);
  EXPECT_EQ(r, kSuccess);
  fp_.EndRemoval(&r);
  EXPECT_EQ(r, kSuccess);
  std::vector<std::string> raw;
  for (const Fields& f : Requests("P22")) raw.push_back(f.at(0));
  // Text, sensor (slip in), eject and receipt paper, sensor (slip out), sensor.
  EXPECT_EQ(raw, (std::vector<std::string>{"E66B6F64610D", "1D0405", "0C1B6330011B1600", "1D0405", "1D0405"}));
  Forget();
  fp_.PrintNormal(4, "after removal", &r);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(NonFiscalTest, HeaderLineIsCutToFortyAndRefreshesTheStoredHeader) {
  int32_t r = -1;
  const std::string text = "Predajna " + std::string(41, 'x');
  fp_.SetHeaderLine(2, text.c_str(), false, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(LastFields("F01"), (Fields{"61", text.substr(0, 40)}));
  EXPECT_NE(Stored(JournalFile::kHeader).find("Predajna"), std::string::npos);
  fp_.SetHeaderLine(1, "Kratky", false, &r);
  EXPECT_EQ(LastFields("F01"), (Fields{"60", "Kratky" + std::string(34, ' ')}));
  Forget();
  fp_.SetHeaderLine(4, "x", false, &r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadLine);
  EXPECT_EQ(Count("F01"), 0);
}

class VatValueRefusalTest : public ReportsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(VatValueRefusalTest, RefusedWith215AndTheTableUnchanged) {
  int32_t r = -1;
  fp_.SetVatValue(1, "23", &r);
  ASSERT_EQ(r, kSuccess);
  fp_.SetVatValue(1, GetParam(), &r);
  EXPECT_EQ(r, 215);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  fp_.SetVatTable(&r);
  EXPECT_EQ(Requests("F01").front(), (Fields{"51", "23"}));
}

INSTANTIATE_TEST_SUITE_P(Values, VatValueRefusalTest, ::testing::Values("5", "123", "5a", "+5", "5 ", " 5", "", "-1"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                           return std::to_string(param.index);
                         });

TEST_F(NonFiscalTest, VatTableSendsNamedRatesAndKeepsThePrintersOthers) {
  int32_t r = -1;
  fp_.SetVatTable(&r);
  EXPECT_EQ(r, 217);
  EXPECT_EQ(ErrorString(), text::kTextUndefined);
  fp_.SetVatValue(2, "15", &r);
  fp_.SetVatValue(4, "00", &r);    // a rate of zero is named as such
  EXPECT_TRUE(Traffic().empty());  // memory only
  fp_.SetVatValue(9, "15", &r);
  EXPECT_EQ(r, kIllegal);
  Inject("reply F01 44");  // the first rate refused; the rest still go out
  fp_.SetVatTable(&r);
  EXPECT_EQ(r, kIllegal);
  // The six rates not named are read first, then all eight go out in order,
  // those not named with the printer's own value (20, 5, 0, ...).
  std::vector<std::string> codes = Codes();
  codes.erase(std::remove(codes.begin(), codes.end(), "D01"), codes.end());  // the error shown
  ASSERT_EQ(codes.size(), 14u);
  EXPECT_EQ(std::count(codes.begin(), codes.begin() + 6, "S03"), 6);
  EXPECT_EQ(Requests("S03").front(), (Fields{"51"}));
  const std::vector<Fields> sent = Requests("F01");
  ASSERT_EQ(sent.size(), 8u);
  EXPECT_EQ(sent[0], (Fields{"51", "20"}));
  EXPECT_EQ(sent[1], (Fields{"52", "15"}));
  EXPECT_EQ(sent[2], (Fields{"53", "05"}));
  EXPECT_EQ(sent[3], (Fields{"54", "00"}));
  EXPECT_EQ(sent[7], (Fields{"58", "00"}));
  int32_t rate = 0;
  fp_.GetVatEntry(2, 0, &rate, &r);
  EXPECT_EQ(rate, 15);
}

// A refused value creates no table; a rate that cannot be read, or a
// printer that stops answering, sends nothing or nothing more.
TEST_F(NonFiscalTest, VatTableNeverZeroesRatesByAccident) {
  int32_t r = -1;
  fp_.SetVatValue(1, "5", &r);
  EXPECT_EQ(r, 215);
  fp_.SetVatTable(&r);
  EXPECT_EQ(r, 217) << "the refused value left no table";
  EXPECT_TRUE(Traffic().empty());

  fp_.SetVatValue(1, "21", &r);
  ASSERT_EQ(r, kSuccess);
  Inject("reply S03 44");  // the printer refuses to tell one of the others
  fp_.SetVatTable(&r);
  EXPECT_EQ(r, kIllegal);
  EXPECT_EQ(Count("F01"), 0) << "nothing is written when a rate could not be read";

  Forget();
  Inject("noreply 3 S03");
  fp_.SetVatTable(&r);
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(Count("F01"), 0);

  for (int32_t vat = 2; vat <= 8; ++vat) fp_.SetVatValue(vat, "10", &r);
  Forget();
  Inject("noreply always F01");
  fp_.SetVatTable(&r);
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(Count("F01"), 3) << "one rate, three attempts, then no more";
  EXPECT_EQ(Count("S03"), 0) << "every rate was named";
}

TEST_F(NonFiscalTest, AdministrativeCalls) {
  int32_t r = -1;
  fp_.OpenDrawer(&r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"S11"}));
  ASSERT_EQ(fp_.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0), 0);
  fp_.SetPOSID("1", "2", &r);
  EXPECT_EQ(r, kSuccess);
  fp_.SetStoreFiscalID("x", &r);
  EXPECT_EQ(r, kSuccess);
  fp_.OpenDrawer(&r);
  EXPECT_EQ(r, kDisabled);
}

}  // namespace
}  // namespace kestrel::testing
