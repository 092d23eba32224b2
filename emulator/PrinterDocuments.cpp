// Documents outside the sales receipt: cash in and out, invoices and credit
// notes, X and Z reports with the fiscal memory's closures, range reports,
// free text lines, the journal print-out, the logo and the memory test.
#include <cstdio>
#include <cstdlib>

#include "emulator/CodePages.h"
#include "emulator/Printer.h"

namespace kestrel::emulator {
namespace {

bool ParseNumber(const std::string& text, long long& out) {
  if (text.empty() || text.size() > 9) return false;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  out = value;
  return true;
}

// "YYYYMMDD" to a comparable number; false for an impossible date.
bool ParseDay(const std::string& text, long long& out) {
  long long value = 0;
  if (text.size() != 8 || !ParseNumber(text, value)) return false;
  int month = static_cast<int>(value / 100 % 100);
  int day = static_cast<int>(value % 100);
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  out = value;
  return true;
}

long long DayOf(std::time_t t) {
  std::tm parts{};
  localtime_r(&t, &parts);
  return (parts.tm_year + 1900) * 10000LL + (parts.tm_mon + 1) * 100 + parts.tm_mday;
}

}  // namespace

Printer::Result Printer::TicketLine(Cents cents, const std::string& label) {
  if (receipt_.anyPayment) return {48, {}};
  if (cents == 0 || cents > 9999999999LL || cents < -9999999999LL) return {44, {}};
  Cents total = ReceiptTotal() + cents;
  if (total > 9999999999LL || total < -9999999999LL) return {44, {}};
  Line line;
  line.kind = Line::kSale;
  line.vat = 0;  // no VAT group: kept out of the recapitulation
  line.quantity = 10000;
  line.unitPrice = cents * 100;
  line.amount = cents;
  line.description = label;
  receipt_.lines.push_back(line);
  PrintTwoColumns(Trimmed(label), FormatCentsDot(cents));
  return {0, {FormatCents(cents)}};
}

Printer::Result Printer::CashDocument(const Fields& f) {
  if (f.size() < 2) return {33, {}};
  Units amount = 0;
  if (!ParseUnits(f[0], amount)) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  // Inside an open ticket the cash movement is one line of it (amount and a
  // 20-character label); on its own it is a whole cash document.
  if (receipt_.open && f.size() == 2 && f[1].size() == 20) return TicketLine(UnitsToCents(amount), f[1]);
  if (receipt_.open) return {42, {}};
  if (DayClosureRequired()) return {41, {}};
  Cents cents = UnitsToCents(amount);
  if (cents == 0 || cents > 9999999999LL || cents < -9999999999LL) return {44, {}};
  if (!training_) MarkDayActivity();
  int number = documentsToday_ + 1;
  BeginDocument();
  PrintHeader();
  PrintTwoColumns(TimeText("%d.%m.%Y %H:%M"), Utf8ToCp1250("Doklad č. ") + std::to_string(number));
  PrintLine(std::string(40, '-'));
  for (std::size_t i = 1; i < f.size(); ++i) {
    std::string line = Trimmed(f[i]);
    if (!line.empty()) PrintCentered(line);
  }
  PrintTwoColumns(Utf8ToCp1250(cents < 0 ? "VÝDAJ EUR" : "PRÍJEM EUR"), FormatCentsDot(cents < 0 ? -cents : cents));
  if (!training_) {
    ++documentsToday_;
    ++documentsTotal_;
    (cents < 0 ? cashOut_ : cashIn_) += cents < 0 ? -cents : cents;
  }
  EndDocument(3, training_ ? 0 : number, cents, true);
  return {0, {std::to_string(number)}};
}

Printer::Result Printer::Invoice(const Fields& f, bool newCommand) {
  std::size_t first = 0;
  if (!newCommand && f.size() >= 3 && f[0].size() == 1 && f[0][0] >= '0' && f[0][0] <= '9') first = 1;
  if (f.size() < first + 2) return {33, {}};
  Units amount = 0;
  if (!ParseUnits(f[first], amount)) return {33, {}};
  if (newCommand && (f.size() != 2 || f[1].size() > 100)) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  // The newer invoice command registers the amount inside an open ticket.
  if (newCommand && receipt_.open) return TicketLine(UnitsToCents(amount), f[1]);
  if (receipt_.open) return {42, {}};
  if (DayClosureRequired()) return {41, {}};
  Cents cents = UnitsToCents(amount);
  if (cents == 0 || cents > 9999999999LL || cents < -9999999999LL) return {44, {}};
  if (!training_) MarkDayActivity();
  int number = documentsToday_ + 1;
  BeginDocument();
  PrintHeader();
  PrintTwoColumns(TimeText("%d.%m.%Y %H:%M"), Utf8ToCp1250("Doklad č. ") + std::to_string(number));
  PrintLine(std::string(40, '-'));
  PrintCentered(Utf8ToCp1250(cents < 0 ? "ÚHRADA DOBROPISU" : "ÚHRADA FAKTÚRY"));
  for (std::size_t i = first + 1; i < f.size(); ++i) {
    std::string line = Trimmed(f[i]);
    while (line.size() > 40) {
      PrintLine(line.substr(0, 40));
      line = line.substr(40);
    }
    if (!line.empty()) PrintCentered(line);
  }
  PrintTwoColumns("SPOLU EUR", FormatCentsDot(cents));
  if (!training_) {
    ++documentsToday_;
    ++documentsTotal_;
  }
  EndDocument(4, training_ ? 0 : number, cents, true);
  return {0, {std::to_string(number)}};
}

Printer::Result Printer::DailyReport(const Fields& f) {
  if (f.size() < 2 || (f[0] != "1" && f[0] != "2") || f[1].size() != 15) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (receipt_.open) return {42, {}};
  bool closure = f[0] == "2";
  BeginDocument();
  PrintHeader();
  PrintLine(std::string(40, '-'));
  if (closure) {
    PrintCentered(Utf8ToCp1250("DENNÁ UZÁVIERKA (Z)"));
    PrintCentered(Utf8ToCp1250("Uzávierka č. ") + std::to_string(closureNumber_ + 1));
  } else {
    PrintCentered(Utf8ToCp1250("PREHĽAD (X)"));
  }
  PrintLine(TimeText("%d.%m.%Y %H:%M:%S"));
  PrintTwoColumns(Utf8ToCp1250("Počet dokladov"), std::to_string(documentsToday_));
  for (const auto& [group, gross] : dailyByVat_) {
    int rate = VatRate(group);
    std::string letter(1, static_cast<char>('A' + group - 1));
    PrintTwoColumns(letter + " " + std::to_string(rate) + "% " + Utf8ToCp1250("obrat"), FormatCentsDot(gross));
    PrintTwoColumns(letter + " " + std::to_string(rate) + "% DPH", FormatCentsDot(VatOfGross(gross, rate)));
  }
  PrintTwoColumns(Utf8ToCp1250("Vklady"), FormatCentsDot(cashIn_));
  PrintTwoColumns(Utf8ToCp1250("Výbery"), FormatCentsDot(cashOut_));
  PrintTwoColumns(Utf8ToCp1250("OBRAT SPOLU EUR"), FormatCentsDot(dailyTotal_));
  if (!closure) {
    EndDocument(5, 0, dailyTotal_, true);
    return {0, {std::to_string(closureNumber_)}};
  }
  Closure record;
  record.number = ++closureNumber_;
  record.time = Now();
  record.total = dailyTotal_;
  record.documents = documentsToday_;
  closures_.push_back(record);
  EndDocument(6, record.number, dailyTotal_, true);
  documentsToday_ = 0;
  dailyTotal_ = 0;
  cashIn_ = 0;
  cashOut_ = 0;
  dailyByVat_.clear();
  dayOpenedAt_ = 0;
  forcedDayClosure_ = false;
  return {0, {std::to_string(record.number)}};
}

Printer::Result Printer::RangeReport(const Fields& f, bool byDate, bool detailed) {
  if (f.size() != 3 || f[0] != "1") return {33, {}};
  long long from = 0;
  long long to = 0;
  if (byDate) {
    if (!ParseDay(f[1], from) || !ParseDay(f[2], to)) return {33, {}};
  } else {
    if (!ParseNumber(f[1], from) || !ParseNumber(f[2], to)) return {33, {}};
    if (from < 1 || to > 999999) return {44, {}};
  }
  if (from > to) return {44, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (receipt_.open) return {42, {}};
  BeginDocument();
  PrintHeader();
  PrintLine(std::string(40, '-'));
  PrintCentered(Utf8ToCp1250(detailed ? "PODROBNÝ PERIODICKÝ PREHĽAD" : "SÚHRNNÝ PERIODICKÝ PREHĽAD"));
  PrintLine(f[1] + " - " + f[2]);
  Cents sum = 0;
  int count = 0;
  for (const Closure& closure : closures_) {
    long long key = byDate ? DayOf(closure.time) : closure.number;
    if (key < from || key > to) continue;
    ++count;
    sum += closure.total;
    if (detailed) {
      char label[64];
      std::snprintf(label, sizeof label, "Z %d (%lld)", closure.number, DayOf(closure.time));
      PrintTwoColumns(label, FormatCentsDot(closure.total));
    }
  }
  PrintTwoColumns(Utf8ToCp1250("Počet uzávierok"), std::to_string(count));
  PrintTwoColumns(Utf8ToCp1250("OBRAT SPOLU EUR"), FormatCentsDot(sum));
  EndDocument(0, 0, 0, false);
  return {0, {}};
}

Printer::Result Printer::PrintLines(const Fields& f) {
  if (f.empty() || (f[0] != "0" && f[0] != "1")) return {33, {}};
  if (int blocked = PrintBlocker()) return {blocked, {}};
  for (std::size_t i = 1; i < f.size(); ++i) {
    std::string line = f[i];
    std::size_t end = line.find_last_not_of(' ');
    line = end == std::string::npos ? std::string() : line.substr(0, end + 1);
    PrintLine(line);
  }
  return {0, {}};
}

Printer::Result Printer::PrintJournal() {
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (receipt_.open) return {42, {}};
  std::string saved = documentText_;
  BeginDocument();
  PrintCentered(Utf8ToCp1250("ELEKTRONICKÝ ŽURNÁL"));
  std::string text;
  for (const JournalBlock& block : journal_.Blocks()) {
    if (block.kind == 1) text += block.data;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    PrintLine(text.substr(start, end - start));
    start = end + 2;
  }
  EndDocument(0, 0, 0, false);
  documentText_ = saved;
  return {0, {}};
}

Printer::Result Printer::Logo(const Fields& f) {
  if (f.empty()) return {33, {}};
  if (f[0] == "2") {
    if (f.size() != 3 || f[1].size() != 3 || f[2].empty() || f[2].size() % 2 != 0) return {33, {}};
    for (char c : f[2]) {
      bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
      if (!hex) return {33, {}};
    }
    if (f[1] == "001") logo_.clear();
    if (logo_.size() + f[2].size() / 2 > 100000) return {44, {}};
    logo_ += std::string(f[2].size() / 2, 'x');
    return {0, {}};
  }
  if (f[0] == "1") {
    if (int blocked = PrintBlocker()) return {blocked, {}};
    if (!logo_.empty()) PrintCentered("[logo]");
    return {0, {}};
  }
  if (f[0] == "3") return {0, {logo_.empty() ? "0" : "1"}};
  return {33, {}};
}

Printer::Result Printer::MemoryTest() {
  if (int blocked = PrintBlocker()) return {blocked, {}};
  if (receipt_.open) return {42, {}};
  BeginDocument();
  PrintCentered(Utf8ToCp1250("TEST FISKÁLNEJ PAMÄTE"));
  PrintTwoColumns(Utf8ToCp1250("Uzávierky"), std::to_string(closureNumber_));
  PrintCentered("OK");
  EndDocument(0, 0, 0, false);
  return {0, {}};
}

Printer::Result Printer::ClearFiscalModule() {
  if (receipt_.open) return {42, {}};
  journal_.Clear();
  recentDocuments_.clear();
  receiptIds_.clear();
  return {0, {}};
}

}  // namespace kestrel::emulator
