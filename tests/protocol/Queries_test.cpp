// Fiscal state getters, fiscal data, VAT summary, display text, subtotal.
#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

#include "tests/protocol/ProtocolFixture.h"
#include "tools/Results.h"

namespace kestrel::testing {
namespace {

using Queries = ProtocolFixture;

// S01 fields: 0 confirmation flags (hex), 1 training, 2 -, 3 day state, 4 -,
// 5 receipt number / day total.
TEST_F(Queries, FiscalStateGettersReadTheirFields) {
  const std::vector<std::string> fields{"60", "1", "x", "1", "y", "1234,50"};
  for (int i = 0; i < 6; ++i) script.push_back(Reply(0, fields));
  EXPECT_TRUE(m.GetMemNearFullConfirmRequired());
  EXPECT_TRUE(m.GetServiceConfirmRequired());
  EXPECT_TRUE(m.GetTrainingModeActive());
  EXPECT_TRUE(m.GetEODRequired());
  EXPECT_EQ(m.GetReceiptNumber(), 1234);
  EXPECT_DOUBLE_EQ(m.GetDailyTotal(), 1234.5);
  EXPECT_EQ(SentCodes(), std::vector<std::string>(6, "S01"));
}

TEST_F(Queries, FlagsReadTheRightBitsAndCharacters) {
  Script(
      {Reply(0, {"20"}), Reply(0, {"20"}), Reply(0, {"40"}), Reply(0, {"0", "10"}), Reply(0, {"0", "0", "0", "12"})});
  EXPECT_TRUE(m.GetMemNearFullConfirmRequired());
  EXPECT_FALSE(m.GetServiceConfirmRequired());
  EXPECT_FALSE(m.GetMemNearFullConfirmRequired());
  EXPECT_FALSE(m.GetTrainingModeActive());  // "10" is not 1
  EXPECT_TRUE(m.GetEODRequired());          // first character of "12"
}

TEST_F(Queries, FailedRequestsReadAsEmpty) {
  EXPECT_FALSE(m.GetEODRequired());
  EXPECT_FALSE(m.GetServiceConfirmRequired());
  EXPECT_EQ(m.GetReceiptNumber(), 0);
  EXPECT_DOUBLE_EQ(m.GetDailyTotal(), 0);
}

TEST_F(Queries, FiscalDataItemsWithTwoFieldsAreJoined) {
  Script({Reply(0, {"abc", "def"}), Reply(0, {"abc", "def"}), Reply(0, {"abcdef", "ghijkl"})});
  char out[16];
  EXPECT_EQ(m.ReadFiscalData(64, out, sizeof out), kSuccess);
  EXPECT_STREQ(out, "abc|def");
  EXPECT_EQ(Sent()[0].fields, std::vector<std::string>{"64"});
  EXPECT_EQ(m.ReadFiscalData(7, out, sizeof out), kSuccess);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(Sent()[1].fields, std::vector<std::string>{"07"});
  // The joined text stays within the buffer.
  char small[10];
  EXPECT_EQ(m.ReadFiscalData(63, small, sizeof small), kSuccess);
  EXPECT_STREQ(small, "abcdef|gh");
}

TEST_F(Queries, OperatingDataField) {
  Script({Reply(0, {"2.5.23", "Z"})});
  char out[16];
  EXPECT_EQ(m.ReadOperatingData(1, out, sizeof out), kSuccess);
  EXPECT_STREQ(out, "Z");
  EXPECT_EQ(Sent()[0].code, "S08");
}

TEST_F(Queries, VatSummaryFillsGroupsFromFieldOne) {
  Script({Reply(0, {"ignored", "A20", "100,00", "20,00", "B10", "50,00", "5,00"})});
  m.CreatePacketOut("P11", 1);
  m.ClosePacketOut();
  ASSERT_EQ(m.SendReceive(4), kSuccess);
  EXPECT_EQ(m.GetVatSummary(), kSuccess);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(0, 0), 20);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(0, 1), 100);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(0, 2), 20);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(1, 0), 10);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(1, 1), 50);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(1, 2), 5);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(2, 0), 0);
}

TEST_F(Queries, VatSummaryNeverLeavesItsTable) {
  // Groups after H, before A and a lower-case letter are skipped with their
  // values; H itself is the last group.
  Script({Reply(0, {"x", "I5", "1,00", "2,00", "@5", "3,00", "4,00", "a5", "5,00", "6,00", "H19", "7,00", "8,00"})});
  m.CreatePacketOut("P11", 1);
  m.ClosePacketOut();
  ASSERT_EQ(m.SendReceive(4), kSuccess);
  m.GetVatSummary();
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(7, 0), 19);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(7, 1), 7);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(7, 2), 8);
  for (int g = 0; g < 7; ++g) {
    for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(g, k), 0) << g << k;
  }
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(8, 0), 0);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(-1, 0), 0);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(7, 3), 0);
  EXPECT_DOUBLE_EQ(m.GetVatSummaryValue(7, -1), 0);
}

struct DisplayCase {
  const char* name;
  std::string text;
  int rows;
  std::vector<std::string> fields;
};

void PrintTo(const DisplayCase& c, std::ostream* os) { *os << c.name; }

class DisplayText : public ProtocolFixture, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(DisplayText, TextFillsTheRows) {
  const DisplayCase& c = GetParam();
  Script({Reply(0)});
  EXPECT_EQ(m.DisplayText(c.text.c_str(), c.rows), kSuccess);
  if (c.fields.empty()) {
    EXPECT_TRUE(Sent().empty()) << "no row to write to";
    return;
  }
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0].code, "D01");
  EXPECT_EQ(Sent()[0].fields, c.fields);
}

const std::string kFifty = "0123456789ABCDEFGHIJabcdefghijKLMNOPQRSTklmnopqrst";

INSTANTIATE_TEST_SUITE_P(
    Rows, DisplayText,
    ::testing::Values(
        DisplayCase{"long_text_cut", kFifty, 2, {kFifty.substr(0, 20), kFifty.substr(20, 20)}},
        DisplayCase{"short_text_padded", "Ahoj!", 2, {"Ahoj!" + std::string(15, ' '), std::string(20, ' ')}},
        DisplayCase{"control_bytes_dropped", "a\r\nb", 1, {"ab" + std::string(18, ' ')}},
        DisplayCase{"no_rows", "abc", 0, {}},
        // Configured counts outside 0..9 take the nearest end.
        DisplayCase{"negative_rows", "abc", -1, {}},
        DisplayCase{"ten_rows_give_nine", "", 10, std::vector<std::string>(9, std::string(20, ' '))},
        DisplayCase{"six_hundred_rows_give_nine", "", 600, std::vector<std::string>(9, std::string(20, ' '))}),
    [](const ::testing::TestParamInfo<DisplayCase>& p) { return std::string(p.param.name); });

TEST_F(Queries, SubtotalIsAskedForWithoutPrinting) {
  Script({Reply(0, {"33,30"}), Silence(), Silence(), Silence()});
  EXPECT_DOUBLE_EQ(m.GetReceiptSubtotal(), 33.3);
  EXPECT_EQ(Sent()[0].code, "P08");
  EXPECT_EQ(Sent()[0].fields, std::vector<std::string>{"0"});
  // A failed request leaves the stored value.
  EXPECT_DOUBLE_EQ(m.GetReceiptSubtotal(), 33.3);
}

}  // namespace
}  // namespace kestrel::testing
