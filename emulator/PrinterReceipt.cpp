// The fiscal receipt: start, lines, adjustments, payments, total, VAT
// recapitulation, close and cancel, and copies of closed receipts.
#include <cstdlib>

#include "emulator/CodePages.h"
#include "emulator/Printer.h"

namespace kestrel::emulator {
namespace {

constexpr Cents kMaxReceipt = 9999999999LL;  // 99 999 999.99 EUR

bool AllDigits(const std::string& text, std::size_t length) {
  if (text.size() != length) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

char GroupLetter(int group) { return static_cast<char>('A' + group - 1); }

std::string PaymentName(char form) {
  switch (form) {
    case '1':
      return Utf8ToCp1250("Hotovosť");
    case '2':
      return Utf8ToCp1250("Platobná karta");
    case '3':
      return Utf8ToCp1250("Stravné lístky");
    case '4':
      return Utf8ToCp1250("Šek");
    default:
      return Utf8ToCp1250("Platba ") + form;
  }
}

}  // namespace

Cents Printer::ReceiptTotal() const {
  Cents total = 0;
  for (const Line& line : receipt_.lines) {
    if (!line.voided) total += line.amount;
  }
  return total;
}

std::map<int, Cents> Printer::GrossByVat() const {
  std::map<int, Cents> gross;
  for (const Line& line : receipt_.lines) {
    // Cash and invoice lines of a ticket carry no VAT group.
    if (!line.voided && line.vat >= 1 && line.vat <= 8) gross[line.vat] += line.amount;
  }
  return gross;
}

Printer::Result Printer::StartReceipt(const Fields& f) {
  if (f.size() < 3 || f.size() > 4 || (f[0] != "0" && f[0] != "1") || !AllDigits(f[2], 15)) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (receipt_.open) return {42, {}};
  if (DayClosureRequired()) return {41, {}};
  receipt_ = Receipt();
  receipt_.open = true;
  receipt_.number = documentsToday_ + 1;
  if (f.size() == 4) receipt_.id = f[3];
  if (!training_) MarkDayActivity();
  BeginDocument();
  PrintHeader();
  PrintTwoColumns(TimeText("%d.%m.%Y %H:%M"), Utf8ToCp1250("Doklad č. ") + std::to_string(receipt_.number));
  if (training_) PrintCentered(Utf8ToCp1250("NEPLATNÝ DOKLAD"));
  PrintLine(std::string(40, '-'));
  return {0, {std::to_string(receipt_.number)}};
}

Printer::Result Printer::ItemLine(const Fields& f) {
  if (f.size() != 6 || f[0].size() != 1 || f[2].size() != 1) return {33, {}};
  Units quantity = 0;
  Units unitPrice = 0;
  if (!ParseUnits(f[3], quantity) || !ParseUnits(f[4], unitPrice)) return {33, {}};
  if (f[0] != "1" && f[0] != "2" && f[0] != "3") return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (receipt_.anyPayment) return {48, {}};
  int vat = f[2][0] - '0';
  if (vat < 1 || vat > 8) return {44, {}};
  if (quantity <= 0 || unitPrice < 0) return {44, {}};
  Cents amount = 0;
  if (!LineCents(quantity, unitPrice, amount)) return {44, {}};
  Line line;
  line.kind = f[0] == "1" ? Line::kSale : (f[0] == "2" ? Line::kRefund : Line::kVoid);
  line.vat = vat;
  line.quantity = quantity;
  line.unitPrice = unitPrice;
  line.description = f[5];
  if (line.kind == Line::kVoid) {
    // A void takes back part of earlier sales of the same article.
    Units sold = 0;
    for (const Line& earlier : receipt_.lines) {
      if (earlier.voided || earlier.vat != vat || earlier.unitPrice != unitPrice ||
          Trimmed(earlier.description) != Trimmed(line.description)) {
        continue;
      }
      if (earlier.kind == Line::kSale) sold += earlier.quantity;
      if (earlier.kind == Line::kVoid) sold -= earlier.quantity;
    }
    if (sold < quantity) return {71, {}};
  }
  line.amount = line.kind == Line::kSale ? amount : -amount;
  Cents total = ReceiptTotal() + line.amount;
  if (total > kMaxReceipt || total < -kMaxReceipt) return {44, {}};
  receipt_.lines.push_back(line);

  std::string unit = Trimmed(f[1]);
  if (line.kind == Line::kVoid) PrintLine(Utf8ToCp1250("STORNO"));
  if (line.kind == Line::kRefund) PrintLine(Utf8ToCp1250("VRÁTENIE"));
  PrintLine(Trimmed(line.description));
  std::string detail = "  " + FormatQuantity(quantity) + (unit.empty() ? "" : " " + unit) + " x " +
                       FormatCentsDot(UnitsToCents(unitPrice));
  PrintTwoColumns(detail, FormatCentsDot(line.amount) + " " + GroupLetter(vat));
  return {0, {FormatCents(line.amount)}};
}

Printer::Result Printer::ImmediateVoid() {
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (receipt_.anyPayment) return {48, {}};
  // The item just registered, with the adjustments made to it since.
  int last = -1;
  for (int i = static_cast<int>(receipt_.lines.size()) - 1; i >= 0; --i) {
    const Line& line = receipt_.lines[static_cast<std::size_t>(i)];
    if (line.kind == Line::kSubtotalAdjustment) break;
    if (line.kind == Line::kItemAdjustment) continue;
    if (!line.voided) last = i;
    break;
  }
  if (last < 0) return {71, {}};
  Cents taken = 0;
  for (std::size_t i = static_cast<std::size_t>(last); i < receipt_.lines.size(); ++i) {
    if (receipt_.lines[i].voided) continue;
    receipt_.lines[i].voided = true;
    taken += receipt_.lines[i].amount;
  }
  PrintTwoColumns(Utf8ToCp1250("STORNO POLOŽKY"), FormatCentsDot(-taken));
  return {0, {FormatCents(-taken)}};
}

Printer::Result Printer::ItemAdjustment(const Fields& f) {
  if (f.size() != 6 || (f[0] != "1" && f[0] != "2") || f[2].size() != 1) return {33, {}};
  Units amount = 0;
  if (!ParseUnits(f[4], amount)) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (receipt_.anyPayment) return {48, {}};
  int vat = f[2][0] - '0';
  if (vat < 1 || vat > 8) return {44, {}};
  // The item adjusted is the last line, with what was adjusted on it already.
  Cents itemValue = 0;
  bool found = false;
  for (auto it = receipt_.lines.rbegin(); it != receipt_.lines.rend(); ++it) {
    if (it->voided || it->kind == Line::kSubtotalAdjustment) break;
    itemValue += it->amount;
    if (it->kind == Line::kItemAdjustment) continue;
    found = it->kind == Line::kSale;
    break;
  }
  Cents cents = UnitsToCents(amount);
  if (!found || itemValue + cents < 0) return {72, {}};
  Line line;
  line.kind = Line::kItemAdjustment;
  line.vat = vat;
  line.amount = cents;
  line.description = f[5];
  receipt_.lines.push_back(line);
  PrintTwoColumns(Utf8ToCp1250(cents < 0 ? "Zľava " : "Prirážka ") + Trimmed(f[5]),
                  FormatCentsDot(cents) + " " + GroupLetter(vat));
  return {0, {FormatCents(cents)}};
}

Printer::Result Printer::SubtotalAdjustment(const Fields& f) {
  if (f.size() != 1) return {33, {}};
  Units amount = 0;
  if (!ParseUnits(f[0], amount)) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (receipt_.anyPayment) return {48, {}};
  Cents cents = UnitsToCents(amount);
  Cents total = ReceiptTotal();
  if (total <= 0 || total + cents < 0) return {72, {}};
  // A surcharge may not take the receipt past its limit, as a line may not.
  if (total + cents > kMaxReceipt) return {44, {}};
  // The adjustment is shared among the VAT groups in proportion to their
  // amounts; what rounding leaves over goes to the largest group.
  std::map<int, Cents> gross = GrossByVat();
  Cents shared = 0;
  int largest = 0;
  for (const auto& [group, value] : gross) {
    if (value <= 0) continue;
    if (largest == 0 || value > gross[largest]) largest = group;
  }
  std::map<int, Cents> shares;
  for (const auto& [group, value] : gross) {
    if (value <= 0) continue;
    // The product of two large amounts would overflow 64 bits.
    __extension__ using Wide = __int128;
    shares[group] = static_cast<Cents>(static_cast<Wide>(cents) * value / total);
    shared += shares[group];
  }
  shares[largest] += cents - shared;
  for (const auto& [group, share] : shares) {
    if (share == 0) continue;
    Line line;
    line.kind = Line::kSubtotalAdjustment;
    line.vat = group;
    line.amount = share;
    receipt_.lines.push_back(line);
  }
  PrintTwoColumns(Utf8ToCp1250(cents < 0 ? "Zľava z medzisúčtu" : "Prirážka k medzisúčtu"), FormatCentsDot(cents));
  return {0, {FormatCents(cents)}};
}

Printer::Result Printer::Subtotal(const Fields& f) {
  if (f.size() != 1 || (f[0] != "0" && f[0] != "1")) return {33, {}};
  if (!receipt_.open) return {45, {}};
  if (f[0] == "1") {
    if (int blocked = PrintBlocker()) return {blocked, {}};
    PrintTwoColumns(Utf8ToCp1250("MEDZISÚČET"), FormatCentsDot(ReceiptTotal()));
  }
  return {0, {FormatCents(ReceiptTotal())}};
}

Printer::Result Printer::Payment(const Fields& f) {
  if (f.size() != 2 || f[0].size() != 1) return {33, {}};
  Units amount = 0;
  if (!ParseUnits(f[1], amount)) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (receipt_.settled || receipt_.lines.empty()) return {48, {}};
  if (f[0][0] < '1' || f[0][0] > '9' || amount < 0) return {44, {}};
  Cents cents = UnitsToCents(amount);
  Cents total = ReceiptTotal();
  if (cents > kMaxReceipt) return {44, {}};
  // A payment of 0 settles whatever is left in that form: the rest of a
  // positive receipt, or the whole sum paid back on one below zero.
  if (cents == 0 && total > receipt_.paid) cents = total - receipt_.paid;
  receipt_.paid += cents;
  receipt_.anyPayment = true;
  Cents left = total - receipt_.paid;
  receipt_.settled = total >= 0 ? left <= 0 : cents == 0;
  PrintTwoColumns(PaymentName(f[0][0]), FormatCentsDot(cents));
  if (receipt_.settled && total >= 0 && left < 0) PrintTwoColumns(Utf8ToCp1250("Výdavok"), FormatCentsDot(-left));
  if (receipt_.settled && total < 0) PrintTwoColumns(Utf8ToCp1250("Vrátiť"), FormatCentsDot(-total));
  return {0, {FormatCents(left)}};
}

Printer::Result Printer::PrintTotal() {
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (!receipt_.settled) return {43, {}};
  PrintLine(std::string(40, '='));
  PrintTwoColumns("SPOLU EUR", FormatCentsDot(ReceiptTotal()));
  PrintLine(std::string(40, '='));
  return {0, {FormatCents(ReceiptTotal())}};
}

Printer::Result Printer::VatTable() {
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  if (!receipt_.settled) return {43, {}};
  Fields reply{FormatCents(ReceiptTotal())};
  PrintLine(Utf8ToCp1250("DPH        Základ       DPH      Spolu"));
  for (const auto& [group, gross] : GrossByVat()) {
    int rate = VatRate(group);
    Cents vat = VatOfGross(gross, rate);
    Cents net = gross - vat;
    std::string letter(1, GroupLetter(group));
    reply.push_back(letter + std::to_string(rate));
    reply.push_back(FormatCents(net));
    reply.push_back(FormatCents(vat));
    char line[80];
    std::snprintf(line, sizeof line, "%s %3d%% %12s %9s %10s", letter.c_str(), rate, FormatCentsDot(net).c_str(),
                  FormatCentsDot(vat).c_str(), FormatCentsDot(gross).c_str());
    PrintLine(line);
  }
  return {0, reply};
}

Printer::Result Printer::CloseReceipt(const Fields& f) {
  if (f.size() < 2 || (f[0] != "1" && f[0] != "2")) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (!receipt_.open) return {45, {}};
  bool cancel = f[0] == "2";
  if (!cancel && !receipt_.settled) return {43, {}};
  if (cancel) PrintCentered(Utf8ToCp1250("DOKLAD ZRUŠENÝ"));
  for (std::size_t i = 2; i < f.size(); ++i) {
    std::string line = Trimmed(f[i]);
    if (!line.empty()) PrintCentered(line);
  }
  int number = receipt_.number;
  Cents total = cancel ? 0 : ReceiptTotal();
  if (!training_) {
    ++documentsToday_;
    ++documentsTotal_;
    if (!cancel) {
      dailyTotal_ += total;
      grandTotal_ += total;
      for (const auto& [group, gross] : GrossByVat()) dailyByVat_[group] += gross;
      if (!receipt_.id.empty()) receiptIds_.push_back(receipt_.id);
      lastReceiptNumber_ = number;
    }
  }
  EndDocument(cancel ? 2 : 1, training_ ? 0 : number, total, true);
  receipt_ = Receipt();
  return {0, {std::to_string(number)}};
}

Printer::Result Printer::ReceiptCopy(const Fields& f) {
  if (f.size() != 2 || f[0] != "1" || f[1].empty() || f[1].size() > 5) return {33, {}};
  for (char c : f[1]) {
    if (c < '0' || c > '9') return {33, {}};
  }
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (receipt_.open) return {42, {}};
  int number = std::atoi(f[1].c_str());
  if (number == 0) number = lastReceiptNumber_;
  auto it = recentDocuments_.find(number);
  if (it == recentDocuments_.end()) return {44, {}};
  std::string text = it->second;
  BeginDocument();
  PrintCentered(Utf8ToCp1250("KÓPIA"));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    PrintLine(text.substr(start, end - start));
    start = end + 2;
  }
  PrintCentered(Utf8ToCp1250("KÓPIA"));
  EndDocument(0, 0, 0, false);
  return {0, {}};
}

Printer::Result Printer::ReceiptIdKnown(const Fields& f) {
  if (f.size() != 1 || f[0].empty() || f[0].size() > 16) return {33, {}};
  for (const std::string& id : receiptIds_) {
    if (id == f[0]) return {0, {"1"}};
  }
  return {44, {}};
}

}  // namespace kestrel::emulator
