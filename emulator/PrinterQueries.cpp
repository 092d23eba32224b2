// Status and data queries, the clock, fiscal parameters, the journal transfer
// and its check, training mode and the printing switch.
#include <cstdio>
#include <cstdlib>

#include "emulator/CodePages.h"
#include "emulator/Printer.h"

namespace kestrel::emulator {
namespace {

bool Digits(const std::string& text, std::size_t minLength, std::size_t maxLength) {
  if (text.size() < minLength || text.size() > maxLength) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsHex(const std::string& text) {
  for (char c : text) {
    bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (!hex) return false;
  }
  return true;
}

std::string Padded40(const std::string& text) {
  std::string line = text.substr(0, 40);
  line.resize(40, ' ');
  return line;
}

std::string Stamp(std::time_t t) {
  if (t == 0) return "0";
  std::tm parts{};
  localtime_r(&t, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &parts);
  return text;
}

}  // namespace

Printer::Result Printer::FiscalState() {
  char flags[8];
  int bits = (memNearFullConfirm_ ? 0x20 : 0) | (serviceConfirm_ ? 0x40 : 0);
  std::snprintf(flags, sizeof flags, "%02X", static_cast<unsigned>(bits));
  // Field 5 is the open receipt's number, or the day's total between receipts.
  std::string field5 = receipt_.open ? std::to_string(receipt_.number) : FormatCents(dailyTotal_);
  return {0,
          {flags, training_ ? "1" : "0", fiscalised_ ? "1" : "0", std::to_string(StateDigit()),
           std::to_string(documentsToday_), field5}};
}

Printer::Result Printer::Clock(const Fields& f) {
  if (f.size() == 1 && f[0] == "1") return {0, {TimeText("%Y%m%d%H%M%S")}};
  if (f.size() != 2 || f[0] != "2" || !Digits(f[1], 15, 15)) return {33, {}};
  if (receipt_.open) return {42, {}};
  std::tm parts{};
  parts.tm_year = std::atoi(f[1].substr(0, 4).c_str()) - 1900;
  parts.tm_mon = std::atoi(f[1].substr(4, 2).c_str()) - 1;
  parts.tm_mday = std::atoi(f[1].substr(6, 2).c_str());
  parts.tm_hour = std::atoi(f[1].substr(8, 2).c_str());
  parts.tm_min = std::atoi(f[1].substr(10, 2).c_str());
  parts.tm_sec = std::atoi(f[1].substr(12, 2).c_str());
  parts.tm_isdst = -1;
  std::tm asked = parts;
  std::time_t target = std::mktime(&parts);
  bool valid = target != static_cast<std::time_t>(-1) && parts.tm_mday == asked.tm_mday &&
               parts.tm_mon == asked.tm_mon && asked.tm_hour < 24 && asked.tm_min < 60 && asked.tm_sec < 60;
  // The clock may not go back behind the last day closure.
  if (!valid || (!closures_.empty() && target < closures_.back().time)) return {70, {}};
  clockOffset_ = target - options_.now();
  return {0, {}};
}

Printer::Result Printer::FiscalData(const Fields& f) {
  if (f.size() != 1 || !Digits(f[0], 1, 2)) return {33, {}};
  int item = std::atoi(f[0].c_str());
  if ((item >= 1 && item <= 9) || (item >= 60 && item <= 62)) return {0, {Padded40(HeaderLine(item))}};
  if (item >= 51 && item <= 58) {
    char rate[8];
    std::snprintf(rate, sizeof rate, "%02d", VatRate(item - 50));
    return {0, {rate}};
  }
  switch (item) {
    case 13:
      return {0, {Stamp(fiscalisedAt_)}};
    case 15:
      return {0, {"88812345678901234"}};
    case 16:
      return {0, {"VIRTUAL " + options_.firmware}};
    case 63:
      return {0, {std::to_string(documentsToday_), FormatCents(dailyTotal_)}};
    case 64:
      return {0, {std::to_string(closureNumber_), closures_.empty() ? "0" : Stamp(closures_.back().time)}};
    case 65:
      return {0, {std::to_string(journal_.Size()), std::to_string(journal_.Position())}};
    case 73:
      return {0, {slipStation_ ? "6" : "7"}};
    default:
      break;
  }
  auto it = parameters_.find(item);
  if (it == parameters_.end()) return {44, {}};
  Fields reply;
  std::size_t split = it->second.find(kFs);
  reply.push_back(it->second.substr(0, split));
  if (split != std::string::npos) reply.push_back(it->second.substr(split + 1));
  for (std::string& field : reply) {
    if (field.empty()) field = " ";  // an empty field would vanish on the host's side
  }
  return {0, reply};
}

Printer::Result Printer::OperatingData() {
  return {0,
          {options_.firmware, std::to_string(closureNumber_), closures_.empty() ? "0" : Stamp(closures_.back().time),
           "VP0000001", std::to_string(2000 - static_cast<int>(closures_.size())), std::to_string(journal_.Size()),
           std::to_string(documentsToday_), FormatCents(grandTotal_), std::to_string(documentsTotal_),
           std::to_string(journal_.Position())}};
}

Printer::Result Printer::FiscalParameter(const Fields& f) {
  if (f.size() < 2 || f.size() > 3 || !Digits(f[0], 1, 2)) return {33, {}};
  if (receipt_.open) return {42, {}};
  int item = std::atoi(f[0].c_str());
  if ((item >= 1 && item <= 9) || (item >= 60 && item <= 62)) {
    parameters_[item] = Padded40(f[1]);
    return {0, {}};
  }
  if (item >= 51 && item <= 58) {
    if (!Digits(f[1], 1, 2)) return {44, {}};
    parameters_[item] = f[1];
    return {0, {}};
  }
  if (item == 13 || item == 15 || item == 16 || item == 73 || (item >= 63 && item <= 65)) return {48, {}};
  parameters_[item] = f.size() == 3 ? f[1] + kFs + f[2] : f[1];
  return {0, {}};
}

Printer::Result Printer::Fiscalise(const Fields& f) {
  if (f.size() != 1 || !Digits(f[0], 1, 9)) return {33, {}};
  if (fiscalised_) return {48, {}};
  fiscalised_ = true;
  fiscalisedAt_ = Now();
  return {0, {}};
}

Printer::Result Printer::JournalTransfer(const Request& request) {
  if (request.type == 4) {
    if (request.fields.size() != 1 || request.fields[0] != "0") return {33, {}};
    journal_.Restart();
  } else if (!request.fields.empty()) {
    return {33, {}};
  }
  JournalBlock block;
  std::size_t number = 0;
  if (!journal_.Next(block, number)) return {73, {}};
  return {0, {std::to_string(block.kind), std::to_string(number), std::to_string(block.data.size()), block.data}};
}

Printer::Result Printer::JournalCheck(const Fields& f) {
  if (f.size() != 2 || f[0].size() != 8 || f[1].size() != 8 || !IsHex(f[0]) || !IsHex(f[1])) return {33, {}};
  if (rejectCheckCodes_ > 0) {
    --rejectCheckCodes_;
    return {62, {}};
  }
  return {journal_.Verify(f[0] + f[1]) ? 0 : 62, {}};
}

Printer::Result Printer::TrainingCommand(const Fields& f) {
  if (f.size() != 1 || (f[0] != "1" && f[0] != "2")) return {33, {}};
  if (receipt_.open) return {42, {}};
  training_ = f[0] == "2";
  return {0, {}};
}

Printer::Result Printer::PrintingCommand(const Fields& f) {
  if (f.size() != 1 || (f[0] != "0" && f[0] != "1")) return {33, {}};
  printing_ = f[0] == "1";
  return {0, {}};
}

}  // namespace kestrel::emulator
