#pragma once
// `kestrel sale`: a quick sales receipt from the command line, for example
//   kestrel sale "Rožok" 0.15x4 1 "Mlieko" 0.89 2 --pay 2.00
// Items come in threes: description, PRICE[xQUANTITY], VAT rate number. The
// receipt is paid with one payment (the exact total unless --pay is given)
// and closed. When anything fails after the receipt was opened, the receipt is
// cancelled, so the printer is never left with a half-made sale.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace kestrel::cli {

struct SaleItem {
  std::string description;  // UTF-8
  int64_t unitPrice = 0;    // 1/10000
  int32_t quantity = 0;     // 1/10000
  int64_t price = 0;        // unitPrice x quantity, 1/10000
  int32_t vat = 1;
};

// Reads the items; false with a reason naming the item when a word is wrong.
bool ParseSaleItems(const std::vector<std::string>& words, std::vector<SaleItem>& items, std::string& error);

struct SaleOptions {
  std::string deviceClass = "FiscalPrinter";
  std::vector<std::string> items;
  std::string pay;          // empty: the exact total
  std::string paymentType;  // one character; empty: "1" (cash)
};

// 0 when the receipt was printed; 1 when the printer refused something; 2 for
// arguments that cannot be read.
int RunSale(const SaleOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kestrel::cli
