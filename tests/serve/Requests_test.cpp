// Request bodies are read whole before anything is printed: every wrong field
// is named, amounts are exact decimals, and the totals are worked out as the
// printer will work them out.
#include <gtest/gtest.h>

#include "cli/serve/ApiRequests.h"
#include "cli/serve/ServeOptions.h"

namespace kestrel::serve {
namespace {

ParsedBody Parse(const std::string& text) {
  ParsedBody body;
  ApiError error;
  EXPECT_TRUE(ParseJsonBody(text, body, error)) << error.text;
  return body;
}

ApiError ReceiptError(const std::string& text) {
  ParsedBody body;
  ApiError error;
  if (!ParseJsonBody(text, body, error)) return error;
  ReceiptRequest receipt;
  EXPECT_FALSE(ParseReceipt(body, DefaultPaymentTypes(), receipt, error)) << text;
  return error;
}

constexpr const char* kItem = R"({"text":"Rožok","quantity":4,"unitPrice":0.15,"vat":1})";

std::string Receipt(const std::string& items, const std::string& rest = R"("payments":[{"amount":10}])") {
  return R"({"id":"a-1","items":[)" + items + "]," + rest + "}";
}

struct BadBody {
  const char* name;
  std::string body;
  const char* field;
};

class BadReceipt : public ::testing::TestWithParam<BadBody> {};

TEST_P(BadReceipt, IsRefusedNamingTheField) {
  const ApiError error = ReceiptError(GetParam().body);
  EXPECT_EQ(error.status, 400);
  EXPECT_EQ(error.field, GetParam().field) << error.text;
  EXPECT_FALSE(error.text.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BadReceipt,
    ::testing::Values(
        BadBody{"UnknownField", Receipt(kItem, R"("payments":[{"amount":10}],"tip":1)"), "tip"},
        BadBody{"UnknownItemField", Receipt(R"({"text":"a","quantity":1,"unitPrice":1,"vat":1,"price":1})"),
                "items[0].price"},
        BadBody{"MissingId", R"({"items":[)" + std::string(kItem) + R"(],"payments":[{"amount":1}]})", "id"},
        BadBody{"IdWithSlash", R"({"id":"a/b","items":[)" + std::string(kItem) + R"(],"payments":[{"amount":1}]})",
                "id"},
        BadBody{"FiveDecimals", Receipt(R"({"text":"a","quantity":1,"unitPrice":0.12345,"vat":1})"),
                "items[0].unitPrice"},
        BadBody{"PriceAsText", Receipt(R"({"text":"a","quantity":1,"unitPrice":"1.00","vat":1})"),
                "items[0].unitPrice"},
        BadBody{"VatNine", Receipt(std::string(kItem) + R"(,{"text":"b","quantity":1,"unitPrice":1,"vat":9})"),
                "items[1].vat"},
        BadBody{"VatFraction", Receipt(R"({"text":"a","quantity":1,"unitPrice":1,"vat":1.5})"), "items[0].vat"},
        BadBody{"QuantityZero", Receipt(R"({"text":"a","quantity":0,"unitPrice":1,"vat":1})"), "items[0].quantity"},
        BadBody{"NegativePrice", Receipt(R"({"text":"a","quantity":1,"unitPrice":-1,"vat":1})"), "items[0].unitPrice"},
        BadBody{"TextTooLong",
                Receipt(R"({"text":")" + std::string(41, 'x') + R"(","quantity":1,"unitPrice":1,"vat":1})"),
                "items[0].text"},
        BadBody{"TextNotInCodePage", Receipt(R"({"text":"Ж","quantity":1,"unitPrice":1,"vat":1})"), "items[0].text"},
        BadBody{"TextWithLineBreak", Receipt(R"({"text":"a\nb","quantity":1,"unitPrice":1,"vat":1})"), "items[0].text"},
        BadBody{"UnitTooLong", Receipt(R"({"text":"a","quantity":1,"unitPrice":1,"vat":1,"unit":"kusy"})"),
                "items[0].unit"},
        BadBody{"NoItems", Receipt(""), "items"},
        BadBody{"DiscountBoth",
                Receipt(R"({"text":"a","quantity":1,"unitPrice":1,"vat":1,"discount":{"amount":1,"percent":1}})"),
                "items[0].discount"},
        BadBody{"DiscountOverItem",
                Receipt(R"({"text":"a","quantity":1,"unitPrice":1,"vat":1,"discount":{"amount":2}})"),
                "items[0].discount"},
        BadBody{"PercentOver100", Receipt(kItem, R"("discount":{"percent":101},"payments":[{"amount":1}])"),
                "discount.percent"},
        BadBody{"PaymentsShort", Receipt(kItem, R"("payments":[{"amount":0.59}])"), "payments"},
        BadBody{"PaymentTypeUnknown", Receipt(kItem, R"("payments":[{"amount":1,"type":"bitcoin"}])"),
                "payments[0].type"},
        BadBody{"PaymentNotNeeded", Receipt(kItem, R"("payments":[{"amount":1},{"amount":1,"type":"card"}])"),
                "payments[1]"},
        BadBody{"FieldTwice", R"({"id":"a","id":"b"})", "id"}),
    [](const ::testing::TestParamInfo<BadBody>& p) { return p.param.name; });

TEST(Receipt, TotalsFollowThePrintersRounding) {
  ParsedBody body = Parse(Receipt(
      R"({"text":"Mlieko","quantity":3,"unitPrice":0.333,"vat":2,"discount":{"percent":10}},)"
      R"({"text":"Rožok","quantity":0.5,"unitPrice":0.15,"vat":1})",
      R"("discount":{"amount":0.05},"message":"Ďakujeme","payments":[{"amount":0.5,"type":"card"},{"amount":2}])"));
  ReceiptRequest receipt;
  ApiError error;
  ASSERT_TRUE(ParseReceipt(body, DefaultPaymentTypes(), receipt, error)) << error.field << " " << error.text;
  ASSERT_EQ(receipt.items.size(), 2u);
  EXPECT_EQ(receipt.items[0].price, 10000);          // 0.999 rounds to 1.00
  EXPECT_EQ(receipt.items[0].discountAmount, 1000);  // 10 % of 1.00
  EXPECT_EQ(receipt.items[1].price, 800);            // 0.075 rounds to 0.08
  EXPECT_EQ(receipt.total, 9000 + 800 - 500);
  EXPECT_EQ(receipt.paid, 25000);
  EXPECT_EQ(receipt.payments[0].code, "2");
  EXPECT_EQ(receipt.payments[1].code, "1");      // cash when no type is named
  EXPECT_EQ(receipt.items[1].text, "Ro\x9Eok");  // windows-1250
}

TEST(Json, NumbersKeepTheirDecimalText) {
  struct Case {
    const char* text;
    bool ok;
    int64_t units;
  };
  for (const Case& c : {Case{"12.5", true, 125000}, Case{"1.50000", true, 15000}, Case{"1e-2", true, 100},
                        Case{"2E3", true, 20000000}, Case{"-0.5", true, -5000}, Case{"0.00001", false, 0},
                        Case{"1e-5", false, 0}, Case{"123456789012345678", false, 0}, Case{"1e400", false, 0}}) {
    int64_t units = 0;
    EXPECT_EQ(DecimalUnits(c.text, 4, units), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(units, c.units) << c.text;
    }
  }
}

TEST(Json, MalformedAndDeepBodiesAreRefused) {
  ParsedBody body;
  ApiError error;
  EXPECT_FALSE(ParseJsonBody("{\"id\": ", body, error));
  EXPECT_NE(error.text.find("not valid JSON"), std::string::npos);
  EXPECT_FALSE(ParseJsonBody(std::string(40, '[') + std::string(40, ']'), body, error));
  EXPECT_NE(error.text.find("deeper"), std::string::npos);
  EXPECT_FALSE(ParseJsonBody("{\"a\":\"\xff\"}", body, error));  // not UTF-8
}

TEST(OtherRequests, CashReportAndJournalNames) {
  ApiError error;
  CashRequest cash;
  EXPECT_TRUE(ParseCash(Parse(R"({"id":"c1","amount":50,"direction":"out"})"), cash, error));
  EXPECT_FALSE(cash.in);
  EXPECT_EQ(cash.amount, 500000);
  EXPECT_FALSE(ParseCash(Parse(R"({"id":"c1","amount":50,"direction":"sideways"})"), cash, error));
  EXPECT_EQ(error.field, "direction");

  ReportRequest report;
  error = ApiError();
  EXPECT_FALSE(ParseReport(Parse(R"({})"), true, report, error));
  EXPECT_EQ(error.field, "confirm");
  error = ApiError();
  EXPECT_FALSE(ParseReport(Parse(R"({"confirm":false})"), true, report, error));
  error = ApiError();
  EXPECT_TRUE(ParseReport(Parse(R"({"confirm":true,"id":"z-2026-12-08"})"), true, report, error));

  std::string base;
  EXPECT_TRUE(JournalBaseName("day-1.txt", base));
  EXPECT_EQ(base, "day-1");
  for (const char* bad : {"../etc/passwd", "a/b", "..", ".hidden", "a..b", "", "c:x", "a\\b", "x.txt.txt/"}) {
    EXPECT_FALSE(JournalBaseName(bad, base)) << bad;
  }
}

TEST(AmountJson, PrintsTheShortestExactNumber) {
  EXPECT_EQ(AmountJson(60000).dump(), "6");
  EXPECT_EQ(AmountJson(6000).dump(), "0.6");
  EXPECT_EQ(AmountJson(12345).dump(), "1.2345");
  EXPECT_EQ(AmountJson(-35100).dump(), "-3.51");
}

}  // namespace
}  // namespace kestrel::serve
