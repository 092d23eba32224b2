#include "cli/serve/ApiRequests.h"

#include <cstdio>

#include "cli/Amounts.h"

namespace kestrel::serve {
namespace {

using cli::kMaxAmountUnits;
constexpr int64_t kMaxQuantity = 2147483647;  // the service takes quantities as 32-bit numbers
constexpr int64_t kHundredPercent = 100 * 10000;

// amount x percentage / 100, rounded half away from zero to whole cents.
int64_t PercentOf(int64_t amount, int64_t percent) {
  // amount below 10^12 and percent at most 10^6: the product fits 64 bits.
  const int64_t scaled = amount * percent;
  int64_t units = scaled / kHundredPercent;
  if (scaled % kHundredPercent >= kHundredPercent / 2) ++units;
  return cli::RoundToCents(units);
}

bool ReadDiscount(const ParsedBody& body, FieldReader& parent, const char* name, std::optional<Discount>& out,
                  ApiError& error) {
  const Json* object = parent.Object(name, false);
  if (object == nullptr) return error.text.empty();
  FieldReader reader(body, *object, parent.PathOf(name), error);
  if (!reader.OnlyFields({"amount", "percent"})) return false;
  if (reader.Has("amount") == reader.Has("percent")) {
    return reader.Fail(parent.PathOf(name), "takes either \"amount\" or \"percent\"");
  }
  Discount discount;
  discount.percent = reader.Has("percent");
  const bool ok = discount.percent ? reader.Decimal("percent", true, 4, 1, kHundredPercent, discount.value)
                                   : reader.Decimal("amount", true, 4, 1, kMaxAmountUnits, discount.value);
  if (!ok) return false;
  out = discount;
  return true;
}

// What a discount takes off an amount, in whole cents; false when it would
// take more than the amount.
bool DiscountAmount(const Discount& discount, int64_t amount, int64_t& off) {
  off = discount.percent ? PercentOf(amount, discount.value) : discount.value;
  return off <= amount;
}

}  // namespace

bool ParseReceipt(const ParsedBody& body, const PaymentTable& table, ReceiptRequest& receipt, ApiError& error) {
  receipt = ReceiptRequest();
  FieldReader top(body, body.value, "", error);
  if (!top.OnlyFields({"id", "items", "discount", "message", "payments"})) return false;
  if (!top.Id("id", true, receipt.id)) return false;
  const Json* items = top.Array("items", true, 1, kMaxItems);
  if (items == nullptr) return false;
  int64_t subtotal = 0;
  for (std::size_t i = 0; i < items->size(); ++i) {
    const std::string path = "items[" + std::to_string(i) + "]";
    FieldReader reader(body, (*items)[i], path, error);
    ReceiptItem item;
    int64_t vat = 0;
    if (!reader.OnlyFields({"text", "quantity", "unitPrice", "vat", "unit", "discount"}) ||
        !reader.Text("text", true, kDescriptionChars, item.text) ||
        !reader.Decimal("quantity", true, 4, 1, kMaxQuantity, item.quantity) ||
        !reader.Decimal("unitPrice", true, 4, 1, kMaxAmountUnits, item.unitPrice) ||
        !reader.Integer("vat", true, 1, 8, vat) || !reader.Text("unit", false, kUnitChars, item.unit) ||
        !ReadDiscount(body, reader, "discount", item.discount, error)) {
      return false;
    }
    item.vat = static_cast<int32_t>(vat);
    int64_t price = 0;
    if (!cli::MultiplyUnits(item.unitPrice, item.quantity, price)) {
      return reader.Fail(path, "quantity times unitPrice exceeds the largest amount");
    }
    item.price = cli::RoundToCents(price);
    if (item.price <= 0) return reader.Fail(path, "quantity times unitPrice comes to less than one cent");
    if (item.discount && !DiscountAmount(*item.discount, item.price, item.discountAmount)) {
      return reader.Fail(path + ".discount", "takes more than the item's amount");
    }
    subtotal += item.price - item.discountAmount;  // 200 items below 10^12 each: no overflow
    receipt.items.push_back(item);
  }
  if (subtotal > kMaxAmountUnits) return top.Fail("items", "the receipt's total exceeds the largest amount");
  if (!ReadDiscount(body, top, "discount", receipt.discount, error)) return false;
  if (receipt.discount && !DiscountAmount(*receipt.discount, subtotal, receipt.discountAmount)) {
    return top.Fail("discount", "takes more than the receipt's total");
  }
  receipt.total = subtotal - receipt.discountAmount;
  if (!top.Text("message", false, kMessageChars, receipt.message)) return false;

  const Json* payments = top.Array("payments", true, 1, kMaxPayments);
  if (payments == nullptr) return false;
  for (std::size_t i = 0; i < payments->size(); ++i) {
    const std::string path = "payments[" + std::to_string(i) + "]";
    FieldReader reader(body, (*payments)[i], path, error);
    Payment payment;
    if (!reader.OnlyFields({"amount", "type"}) ||
        !reader.Decimal("amount", true, 4, 1, kMaxAmountUnits, payment.amount)) {
      return false;
    }
    payment.type = "cash";
    if (reader.Has("type")) {
      const Json& type = (*payments)[i]["type"];
      if (!type.is_string()) return reader.Fail(reader.PathOf("type"), "must be a text");
      payment.type = type.get<std::string>();
    }
    const auto code = table.find(payment.type);
    if (code == table.end()) {
      std::string names;
      for (const auto& [name, ignored] : table) names += (names.empty() ? "" : ", ") + name;
      return reader.Fail(reader.PathOf("type"), "is not a payment type of this server (" + names + ")");
    }
    payment.code = code->second;
    receipt.paid += payment.amount;
    if (receipt.paid > kMaxAmountUnits) return reader.Fail("payments", "add up to more than the largest amount");
    receipt.payments.push_back(payment);
  }
  if (receipt.paid < receipt.total) {
    return top.Fail("payments", "add up to less than the receipt's total of " + cli::FormatUnits(receipt.total));
  }
  // Every payment but the last must leave something to pay, or the printer
  // would settle the receipt before the last one.
  int64_t before = 0;
  for (std::size_t i = 0; i + 1 < receipt.payments.size(); ++i) {
    before += receipt.payments[i].amount;
    if (before >= receipt.total) {
      return top.Fail("payments[" + std::to_string(i + 1) + "]",
                      "is not needed: the payments before it cover the total");
    }
  }
  return true;
}

bool ParseCash(const ParsedBody& body, CashRequest& cash, ApiError& error) {
  cash = CashRequest();
  FieldReader top(body, body.value, "", error);
  std::string direction;
  if (!top.OnlyFields({"id", "amount", "direction"}) || !top.Id("id", true, cash.id) ||
      !top.Decimal("amount", true, 4, 1, kMaxAmountUnits, cash.amount) ||
      !top.Choice("direction", true, {"in", "out"}, direction)) {
    return false;
  }
  cash.in = direction == "in";
  return true;
}

bool ParseReport(const ParsedBody& body, bool zReport, ReportRequest& report, ApiError& error) {
  report = ReportRequest();
  FieldReader top(body, body.value, "", error);
  if (zReport) {
    if (!top.OnlyFields({"id", "confirm"}) || !top.Id("id", false, report.id) ||
        !top.Boolean("confirm", true, report.confirm)) {
      return false;
    }
    if (!report.confirm) return top.Fail("confirm", "must be true: the Z report closes the fiscal day");
    return true;
  }
  return top.OnlyFields({"id"}) && top.Id("id", false, report.id);
}

bool JournalBaseName(const std::string& name, std::string& base) {
  std::string stem = name;
  for (const char* ending : {".txt", ".bin"}) {
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ending) == 0) {
      stem.resize(stem.size() - 4);
      break;
    }
  }
  if (stem.empty() || stem.size() > 64 || stem[0] == '.' || stem.find("..") != std::string::npos) return false;
  for (char c : stem) {
    const bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (!ok) return false;
  }
  base = stem;
  return true;
}

bool ParseJournalSave(const ParsedBody& body, JournalSaveRequest& save, ApiError& error) {
  save = JournalSaveRequest();
  FieldReader top(body, body.value, "", error);
  if (!top.OnlyFields({"name"})) return false;
  const Json* name = body.value.is_object() && body.value.contains("name") ? &body.value["name"] : nullptr;
  if (name == nullptr) return top.Fail("name", "is required");
  if (!name->is_string() || !JournalBaseName(name->get<std::string>(), save.name)) {
    return top.Fail("name", "must be a file name of A-Z a-z 0-9 . _ - (no path, no \"..\"), at most 64 characters");
  }
  return true;
}

Json AmountJson(int64_t units) {
  // Whole units when exact; otherwise the decimal text read back as a number,
  // which prints as its shortest form (0.6, 1.2345).
  if (units % 10000 == 0) return Json(units / 10000);
  char text[32];
  const uint64_t magnitude = units < 0 ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  std::snprintf(text, sizeof text, "%s%llu.%04llu", units < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000), static_cast<unsigned long long>(magnitude % 10000));
  return Json(std::stod(text));
}

}  // namespace kestrel::serve
