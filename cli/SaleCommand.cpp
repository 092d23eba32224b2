#include "cli/SaleCommand.h"

#include <limits>
#include <ostream>

#include "cli/Amounts.h"
#include "cli/CallArgs.h"
#include "cli/CancelOpen.h"
#include "cli/Interrupt.h"
#include "cli/ScriptLine.h"
#include "cli/Session.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Tools.h"

namespace kestrel::cli {
namespace {

// Pads a UTF-8 text with blanks to width characters (longer texts stay whole).
std::string PadRight(const std::string& utf8, std::size_t width) {
  std::size_t characters = 0;
  for (char c : utf8) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return characters >= width ? utf8 : utf8 + std::string(width - characters, ' ');
}

std::string PadLeft(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

bool ParsePriceAndQuantity(const std::string& word, SaleItem& item) {
  std::string price = word;
  std::string quantity = "1";
  const std::size_t times = word.find_first_of("xX*");
  if (times != std::string::npos) {
    price = word.substr(0, times);
    quantity = word.substr(times + 1);
  }
  int64_t units = 0;
  if (!ParseDecimal(price, kMaxAmountUnits, item.unitPrice)) return false;
  if (!ParseDecimal(quantity, std::numeric_limits<int32_t>::max(), units) || units == 0) return false;
  item.quantity = static_cast<int32_t>(units);
  if (!MultiplyUnits(item.unitPrice, item.quantity, item.price)) return false;
  item.price = RoundToCents(item.price);
  return true;
}

// After an interrupt: where the sale stopped and what is left open at the
// printer; the exit status that tells the signal.
int Stopped(Session& session, const char* after, std::ostream& err) {
  const std::string open = DescribeOpenWork(session.Printer());
  err << "kestrel: stopped by " << InterruptName() << " after " << after << "; "
      << (open.empty() ? "nothing is left open at the printer" : open) << std::endl;
  return InterruptExitStatus();
}

// Closes the sale after a failure: the receipt is cancelled at the printer.
int Abandon(Session& session, std::ostream& err) {
  int32_t result = 0;
  if (session.Printer().PrintRecVoid("", &result) == kSuccess) {
    err << "kestrel: the receipt was cancelled" << std::endl;
  } else {
    err << "kestrel: the receipt could not be cancelled (" << session.LastResult()
        << "); cancel it with PrintRecVoid before the next sale" << std::endl;
  }
  return 1;
}

}  // namespace

bool ParseSaleItems(const std::vector<std::string>& words, std::vector<SaleItem>& items, std::string& error) {
  items.clear();
  if (words.empty() || words.size() % 3 != 0) {
    error = "items come in threes: DESCRIPTION PRICE[xQUANTITY] VAT (" + std::to_string(words.size()) + " words given)";
    return false;
  }
  for (std::size_t i = 0; i < words.size(); i += 3) {
    const std::string where = "item " + std::to_string(i / 3 + 1) + ": ";
    SaleItem item;
    item.description = words[i];
    if (item.description.empty() || !IsValidUtf8(item.description)) {
      error = where + "the description must be a non-empty UTF-8 text";
      return false;
    }
    if (!ParsePriceAndQuantity(words[i + 1], item)) {
      error = where + "\"" + words[i + 1] +
              "\" is not PRICE or PRICExQUANTITY (for example 0.15 or 0.15x4; up to 4 decimals, quantity above 0)";
      return false;
    }
    int64_t vat = 0;
    if (!ParseInteger(words[i + 2], 1, FiscalPrinter::kNumVatRates, vat)) {
      error = where + "the VAT rate number must be 1 to 8, not \"" + words[i + 2] + "\"";
      return false;
    }
    item.vat = static_cast<int32_t>(vat);
    items.push_back(item);
  }
  return true;
}

int RunSale(const SaleOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<SaleItem> items;
  std::string error;
  if (!ParseSaleItems(options.items, items, error)) {
    err << "kestrel: " << error << std::endl;
    return 2;
  }
  int64_t total = 0;
  for (const SaleItem& item : items) total += item.price;  // each below 10^12: no overflow
  int64_t payment = total;
  if (!options.pay.empty() && !ParseDecimal(options.pay, kMaxAmountUnits, payment)) {
    err << "kestrel: --pay takes an amount such as 10.00, not \"" << options.pay << "\"" << std::endl;
    return 2;
  }
  if (payment < total) {
    err << "kestrel: the payment " << FormatUnits(payment) << " does not cover the total " << FormatUnits(total)
        << std::endl;
    return 2;
  }
  if (options.paymentType.size() > 1) {
    err << "kestrel: --payment-type is one character (the printer's payment code)" << std::endl;
    return 2;
  }

  Session session(err);
  if (!session.Start(options.deviceClass)) return 1;
  FiscalPrinter& printer = session.Printer();
  int32_t result = 0;
  // A signal lets the call in progress finish; the sale stops before the
  // next one and leaves the receipt for `kestrel cancel`.
  if (InterruptRequested()) return Stopped(session, "connecting", err);
  if (session.Failed(printer.BeginFiscalReceipt(true, &result), "opening the receipt")) return 1;
  if (InterruptRequested()) return Stopped(session, "opening the receipt", err);

  for (const SaleItem& item : items) {
    const std::string description = Tools::Utf8ToCp1250(item.description);
    const int32_t code =
        printer.PrintRecItem(description.c_str(), item.price, item.quantity, item.vat, item.unitPrice, "", &result);
    if (session.Failed(code, "the item \"" + item.description + "\"")) return Abandon(session, err);
    if (InterruptRequested()) return Stopped(session, ("the item \"" + item.description + "\"").c_str(), err);
    out << "  " << PadRight(item.description, 24) << PadLeft(FormatUnits(item.quantity), 9) << " x "
        << PadLeft(FormatUnits(item.unitPrice), 9) << PadLeft(FormatUnits(item.price), 11) << "  VAT " << item.vat
        << "\n";
  }

  const std::string type = options.paymentType.empty() ? "1" : Tools::Utf8ToCp1250(options.paymentType);
  if (session.Failed(printer.PrintRecTotal(total, payment, type.c_str(), &result), "the payment")) {
    return Abandon(session, err);
  }
  if (InterruptRequested()) return Stopped(session, "the payment", err);
  // The printer computes the total itself; a payment it finds short leaves
  // the receipt waiting for more.
  if (session.Number(opos::pidx::kPrinterState) != kPrinterStateFiscalReceiptEnding) {
    err << "kestrel: the printer finds the payment short of its total" << std::endl;
    return Abandon(session, err);
  }
  // The change as the printer computed it, when it can tell.
  int64_t change = payment - total;
  int32_t optArgs = 0;
  std::string left;
  int64_t leftUnits = 0;
  if (printer.GetData(opos::gd::kAmountLeft, &optArgs, &left, &result) == kSuccess && !left.empty()) {
    const bool negative = left[0] == '-';
    if (ParseDecimal(negative ? left.substr(1) : left, kMaxAmountUnits, leftUnits)) change = negative ? leftUnits : 0;
  }
  // The receipt's number as the printer counts it, asked while the receipt
  // is still open: after the close the service could only offer the number
  // its counter file holds, which may be stale.
  std::string number;
  if (printer.GetData(opos::gd::kReceiptNumber, &optArgs, &number, &result) != kSuccess || number.empty() ||
      number == "0") {
    number.clear();
  }
  if (session.Failed(printer.EndFiscalReceipt(false, &result), "closing the receipt")) return Abandon(session, err);

  out << "  " << PadRight("Total", 45) << PadLeft(FormatUnits(total), 11) << "\n"
      << "  " << PadRight("Paid", 45) << PadLeft(FormatUnits(payment), 11) << "\n"
      << "  " << PadRight("Change", 45) << PadLeft(FormatUnits(change), 11) << "\n";
  if (!number.empty()) {
    out << "Receipt " << number << " printed." << std::endl;
  } else {
    out << "Receipt printed; the printer did not tell its number." << std::endl;
  }
  if (InterruptRequested()) return Stopped(session, "closing the receipt", err);
  return 0;
}

}  // namespace kestrel::cli
