// CheckHealth and DirectIO: command numbers, argument rules and the
// sequences they send.
#include <gtest/gtest.h>

#include <string>

#include "tests/reports/ReportsFixture.h"

namespace kestrel::testing {
namespace {

class DirectIOTest : public ReportsTest {
 protected:
  int32_t Call(int32_t command, int32_t* data, std::string* text) {
    int32_t r = -1;
    fp_.DirectIO(command, data, text, &r);
    return r;
  }
  int32_t Call(int32_t command, int32_t data, std::string text) { return Call(command, &data, &text); }
};

TEST_F(DirectIOTest, HealthChecks) {
  int32_t r = -1;
  fp_.CheckHealth(2, &r);
  EXPECT_EQ(r, kSuccess);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"T01"}));
  Forget();
  fp_.CheckHealth(3, &r);  // interactive: nothing to do
  EXPECT_EQ(r, kSuccess);
  EXPECT_TRUE(Traffic().empty());
  std::string text;
  fp_.GetPropertyString(opos::pidx::kCheckHealthText, &text);
  EXPECT_EQ(text, "External Test: OK.");
  Inject("paper near");
  fp_.CheckHealth(1, &r);
  EXPECT_EQ(r, kSuccess);
  fp_.GetPropertyString(opos::pidx::kCheckHealthText, &text);
  EXPECT_EQ(text, "Internal Test: OK.");
  Inject("cover open");
  fp_.CheckHealth(1, &r);
  EXPECT_EQ(r, kCoverOpen);
  fp_.GetPropertyString(opos::pidx::kCheckHealthText, &text);
  EXPECT_EQ(text, "Internal Test: Failed.");
}

TEST_F(DirectIOTest, OnlyTheLowByteCounts) {
  int32_t data = 1;
  std::string text;
  EXPECT_EQ(Call(0x190, &data, &text), kSuccess);  // acts as 144
  EXPECT_TRUE(Traffic().empty());
  EXPECT_EQ(Call(999, &data, &text), kIllegal);  // 0xE7
  EXPECT_EQ(ErrorString(), text::kTextBadCommand);
  Call(0x123, nullptr, nullptr);  // 35: void the last item
  EXPECT_EQ(Count("P04"), 1);
}

TEST_F(DirectIOTest, BarCodeFromDigits) {
  EXPECT_EQ(Call(146, 0, "1234567890128"), kSuccess);
  EXPECT_EQ(LastFields("P22"), (Fields{"1D68501D77031D48321D66311B61311D6B43"
                                       "0D"
                                       "31323334353637383930313238"
                                       "1B6130"}));
  EXPECT_EQ(Call(146, nullptr, nullptr), kIllegal);
  std::string twelve = "123456789012";
  EXPECT_EQ(Call(146, nullptr, &twelve), kSuccess);
  EXPECT_EQ(LastFields("P22")[0].substr(36, 2), "0C");
  Forget();
  EXPECT_EQ(Call(146, 0, "12345678901"), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  EXPECT_EQ(Count("P22"), 0);
}

TEST_F(DirectIOTest, RawSequenceMustPrintABarCode) {
  EXPECT_EQ(Call(146, 1, "1B6131"), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  EXPECT_EQ(Count("P22"), 0);
  EXPECT_EQ(Call(146, 1, "1d6b4303313233"), kSuccess);
  EXPECT_EQ(LastFields("P22"), (Fields{"1d6b4303313233"}));
}

TEST_F(DirectIOTest, FiscalParameterSplitsAtTheBar) {
  EXPECT_EQ(Call(133, 70, "12345678901234|AB"), kSuccess);
  EXPECT_EQ(LastFields("F01"), (Fields{"70", "1234567890", "AB"}));
  EXPECT_EQ(Call(133, 71, "12345678901234"), kSuccess);
  EXPECT_EQ(LastFields("F01"), (Fields{"71", "12345678901234"}));
  std::string read;
  EXPECT_EQ(Call(135, 70, read), kSuccess);
  int32_t item = 70;
  EXPECT_EQ(Call(135, &item, &read), kSuccess);
  EXPECT_EQ(read, "1234567890");  // only items 63..65 answer two fields
}

TEST_F(DirectIOTest, FiscalItemsOutsideTwoDigitsAreRefusedWithoutTraffic) {
  EXPECT_EQ(Call(133, 123, "x"), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  EXPECT_EQ(Call(135, -1, ""), kIllegal);
  EXPECT_EQ(Call(135, 100, ""), kIllegal);
  EXPECT_EQ(Count("F01") + Count("S03"), 0);
}

TEST_F(DirectIOTest, MissingArguments) {
  // Commands that say so set "Neplatná hodnota"; the others leave the text.
  EXPECT_EQ(Call(44, nullptr, nullptr), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  EXPECT_EQ(Call(151, nullptr, nullptr), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  EXPECT_EQ(Call(147, nullptr, nullptr), kIllegal);
  EXPECT_EQ(ErrorString(), text::kTextBadValue);
  int32_t data = 1;
  for (int32_t command : {132, 133, 134, 135, 146, 152}) {
    EXPECT_EQ(Call(command, nullptr, nullptr), kIllegal) << command;
    EXPECT_EQ(ErrorString(), "") << command;
  }
  EXPECT_EQ(Call(133, &data, nullptr), kIllegal);
  EXPECT_EQ(Count("F01") + Count("T03") + Count("F02") + Count("P22"), 0);
}

TEST_F(DirectIOTest, ReceiptIdentifier) {
  EXPECT_EQ(Call(152, 0, "ABC-123"), kSuccess);
  int32_t one = 1;
  std::string text = "old";
  EXPECT_EQ(Call(152, &one, &text), kSuccess);
  EXPECT_EQ(text, "ABC-123");
  int32_t ask = 2;
  EXPECT_EQ(Call(152, &ask, &text), kSuccess);
  EXPECT_EQ(text, "0");  // the printer has no receipt with it
  EXPECT_EQ(LastFields("P25"), (Fields{"000000000ABC-123"}));
  // The next receipt carries it, and then the printer knows it.
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  EXPECT_EQ(LastFields("P02").back(), "000000000ABC-123");
  fp_.PrintRecItem("Chlieb", 10000, 10000, 1, 0, "", &r);
  fp_.PrintRecTotal(10000, 10000, "1", &r);
  fp_.EndFiscalReceipt(false, &r);
  EXPECT_EQ(Call(152, &ask, &text), kSuccess);
  EXPECT_EQ(text, "1");
}

TEST_F(DirectIOTest, LogoQueryWithoutAStringWritesNowhere) {
  int32_t query = 2;
  EXPECT_EQ(Call(147, &query, nullptr), kSuccess);
  EXPECT_EQ(LastFields("P01"), (Fields{"3"}));
  std::string answer = "stale";
  EXPECT_EQ(Call(147, &query, &answer), kSuccess);
  EXPECT_EQ(answer, "0");
}

TEST_F(DirectIOTest, ClearingOperatingMemoryClearsTheDayEvenWhenRefused) {
  SellOne();
  ASSERT_TRUE(Journal::Instance().GetEODTransactions());
  Inject("reply S05 42");
  EXPECT_EQ(Call(128, nullptr, nullptr), kWrongState);
  EXPECT_FALSE(Journal::Instance().GetEODTransactions());
  EXPECT_EQ(Journal::Instance().GetReceiptNumber(), 0);
}

TEST_F(DirectIOTest, ItemDisplaySwitch) {
  int32_t off = 0;
  EXPECT_EQ(Call(144, &off, nullptr), kSuccess);
  int32_t r = -1;
  fp_.BeginFiscalReceipt(true, &r);
  EXPECT_EQ(LastFields("P02")[0], "1");
}

TEST_F(DirectIOTest, JournalCommands) {
  SellOne();
  Forget();
  EXPECT_EQ(Call(150, nullptr, nullptr), kSuccess);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"P21"}));
  std::string target = profile_.Dir() + "/direct";
  EXPECT_EQ(Call(151, nullptr, &target), kSuccess);
  EXPECT_EQ(ReadWholeFile(target + ".txt"), PrinterJournal(1));
  SellOne();
  EXPECT_EQ(Call(151, nullptr, &target), kFailure);  // the name is taken
  EXPECT_EQ(ErrorString(), text::kTextJournalSaveFailed);
}

TEST_F(DirectIOTest, ServiceCommands) {
  struct Case {
    int32_t command;
    const char* code;
  };
  for (const Case& c : {Case{86, "S06"}, Case{87, "S07"}, Case{130, "S13"}, Case{131, "S14"}, Case{145, "P22"}}) {
    Forget();
    EXPECT_EQ(Call(c.command, nullptr, nullptr), kSuccess) << c.command;
    EXPECT_EQ(Codes(), (std::vector<std::string>{c.code})) << c.command;
  }
  int32_t off = 0;
  EXPECT_EQ(Call(132, &off, nullptr), kSuccess);
  EXPECT_EQ(LastFields("T03"), (Fields{"0"}));
}

}  // namespace
}  // namespace kestrel::testing
