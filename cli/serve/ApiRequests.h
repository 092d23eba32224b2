#pragma once
// The printing requests of API v1, read and checked whole before anything is
// sent to the printer: every amount, the receipt's total, the payments that
// must cover it, texts the printer can print and payment types it knows.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/serve/JsonBody.h"

namespace kestrel::serve {

// Amounts and quantities are whole numbers of 1/10000, as the service takes them.
struct Discount {
  bool percent = false;
  int64_t value = 0;  // an amount, or a percentage x 10000
};

struct ReceiptItem {
  std::string text;      // windows-1250
  int64_t quantity = 0;  // x 10000
  int64_t unitPrice = 0;
  int32_t vat = 0;
  std::string unit;  // windows-1250; empty: the printer's default
  std::optional<Discount> discount;
  int64_t price = 0;           // unitPrice x quantity, in whole cents
  int64_t discountAmount = 0;  // what the discount takes off, in whole cents
};

struct Payment {
  int64_t amount = 0;
  std::string type;  // as the client named it
  std::string code;  // the printer's payment code
};

struct ReceiptRequest {
  std::string id;
  std::vector<ReceiptItem> items;
  std::optional<Discount> discount;
  int64_t discountAmount = 0;
  std::string message;  // windows-1250; empty: none
  std::vector<Payment> payments;
  int64_t total = 0;  // as the items and discounts add up
  int64_t paid = 0;
};

struct CashRequest {
  std::string id;
  int64_t amount = 0;
  bool in = true;
};

struct ReportRequest {
  std::string id;  // empty when none was given
  bool confirm = false;
};

struct JournalSaveRequest {
  std::string name;  // without .txt or .bin
};

using PaymentTable = std::map<std::string, std::string>;

constexpr std::size_t kMaxItems = 200;
constexpr std::size_t kMaxPayments = 8;
constexpr std::size_t kDescriptionChars = 40;
constexpr std::size_t kUnitChars = 3;
constexpr std::size_t kMessageChars = 4000;

bool ParseReceipt(const ParsedBody& body, const PaymentTable& table, ReceiptRequest& receipt, ApiError& error);
bool ParseCash(const ParsedBody& body, CashRequest& cash, ApiError& error);
// zReport: "confirm": true is required.
bool ParseReport(const ParsedBody& body, bool zReport, ReportRequest& report, ApiError& error);
bool ParseJournalSave(const ParsedBody& body, JournalSaveRequest& save, ApiError& error);
// A saved journal's name: 1..64 characters of A-Z a-z 0-9 . _ -, not
// starting with a dot, no "..", no separators; a .txt or .bin ending dropped.
bool JournalBaseName(const std::string& name, std::string& base);

// Units (1/10000) as a JSON number: 6000 -> 0.6, 12345 -> 1.2345.
Json AmountJson(int64_t units);

}  // namespace kestrel::serve
