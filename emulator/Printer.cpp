#include "emulator/Printer.h"

#include <cstdio>
#include <cstdlib>

#include "emulator/CodePages.h"

namespace kestrel::emulator {
namespace {

char NextDigit(char digit) { return (digit >= '1' && digit < '9') ? static_cast<char>(digit + 1) : '1'; }

std::time_t SystemNow() { return std::time(nullptr); }

}  // namespace

Printer::Printer(PrinterOptions options) : options_(std::move(options)) {
  if (!options_.now) options_.now = SystemNow;
  SetFirmware(options_.firmware);
  slipStation_ = options_.slipStation;
  journal_.SetFreesConfirmed(options_.freeConfirmedJournal);
  display_.assign(2, std::string(20, ' '));
  fiscalisedAt_ = Now();
}

void Printer::SetFirmware(const std::string& firmware) {
  options_.firmware = firmware;
  // "major.x.minor": the first and third numbers select protocol variants.
  int major = 0;
  int middle = 0;
  int minor = 0;
  if (std::sscanf(firmware.c_str(), "%d.%d.%d", &major, &middle, &minor) == 3) {
    fwMajor_ = major;
    fwMinor_ = minor;
  } else {
    fwMajor_ = 2;
    fwMinor_ = 14;
  }
}

std::time_t Printer::Now() const { return options_.now() + clockOffset_; }

std::string Printer::TimeText(const char* format) const {
  std::time_t now = Now();
  std::tm parts{};
  localtime_r(&now, &parts);
  char text[64];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  std::size_t n = std::strftime(text, sizeof text, format, &parts);
#pragma GCC diagnostic pop
  return std::string(text, n);
}

void Printer::OverrideStatus(int status, int count) {
  statusOverride_ = status;
  statusOverrideCount_ = count;
}

void Printer::ArmLongOperation(int polls, const std::string& code) {
  longArmedPolls_ = polls < 0 ? 0 : polls;
  longArmedCode_ = code;
}

std::string Printer::Handle(const std::string& requestFrame) { return Exchange(requestFrame).replyFrame; }

ExchangeRecord Printer::Respond(const Request& request, const std::string& frame, int code, Fields fields,
                                bool remember) {
  ExchangeRecord record;
  record.parsed = true;
  record.request = request;
  record.answered = true;
  record.replyCode = code;
  lastDigit_ = NextDigit(lastDigit_);
  record.replyFrame = BuildReply(ReplyCodeFor(request), lastDigit_, code, fields);
  record.replyFields = std::move(fields);
  if (remember) {
    lastRequestFrame_ = frame;
    lastReplyFrame_ = record.replyFrame;
  } else {
    lastRequestFrame_.clear();
    lastReplyFrame_.clear();
  }
  return record;
}

std::string Printer::ReplyCodeFor(const Request& request) const {
  if (!options_.echoCode) return "000";
  return request.code.size() == 3 ? request.code : std::string("???");
}

ExchangeRecord Printer::Repeat(const Request& request) const {
  ExchangeRecord record;
  record.parsed = true;
  record.request = request;
  record.answered = true;
  record.replyFrame = lastReplyFrame_;
  Reply reply;
  if (ParseReply(lastReplyFrame_, reply)) {
    record.replyCode = reply.replyCode;
    record.replyFields = reply.fields;
  }
  record.note = "repeat";
  return record;
}

ExchangeRecord Printer::AnswerOnly(const Request& request, int replyCode, std::vector<std::string> fields) {
  return Respond(request, std::string(), replyCode, std::move(fields), false);
}

ExchangeRecord Printer::ExchangeWithWarning(const std::string& frame, int replyCode) {
  ExchangeRecord record = Exchange(frame);
  if (!record.answered || record.replyCode != 0) return record;
  const bool remembered = !lastReplyFrame_.empty() && lastReplyFrame_ == record.replyFrame;
  record.replyCode = replyCode;
  record.replyFrame = BuildReply(ReplyCodeFor(record.request), lastDigit_, replyCode, record.replyFields);
  // A resend of the request gets the warning again, not a different reply.
  if (remembered) lastReplyFrame_ = record.replyFrame;
  return record;
}

ExchangeRecord Printer::SequenceError(const Request& request) {
  ExchangeRecord record;
  record.parsed = true;
  record.request = request;
  record.answered = true;
  record.replyCode = 31;
  record.replyFrame = BuildReply(ReplyCodeFor(request), lastDigit_, 31, {});
  record.note = "sequence";
  lastRequestFrame_.clear();
  lastReplyFrame_.clear();
  return record;
}

ExchangeRecord Printer::Exchange(const std::string& frame) {
  Request request;
  ParseError error = ParseRequest(frame, request);
  if (error != ParseError::kNone) {
    Request broken;
    broken.code = frame.size() >= 4 ? frame.substr(1, 3) : "???";
    if (error == ParseError::kTooShort) {
      ExchangeRecord record;
      record.note = "unreadable frame";
      return record;
    }
    ExchangeRecord record = AnswerOnly(broken, error == ParseError::kBadCrc ? 34 : 32);
    record.parsed = false;
    return record;
  }
  // A resend of the request just answered (its reply was lost or damaged)
  // gets the same reply again and is not carried out twice. A strict printer
  // knows a repeat by its digit alone: a new request that comes with the
  // last digit again gets the old reply, and is not carried out at all.
  if (!lastRequestFrame_.empty() && frame == lastRequestFrame_ && request.sequence == lastDigit_) {
    return Repeat(request);
  }
  if (options_.strictSequence && !lastReplyFrame_.empty() && request.sequence == lastDigit_) {
    return Repeat(request);
  }
  if (options_.strictSequence && request.sequence != NextDigit(lastDigit_)) return SequenceError(request);

  switch (request.type) {
    case 1: {
      if (request.code == "S04") return Respond(request, frame, 32, {}, true);
      if (longArmedPolls_ >= 0 && (longArmedCode_.empty() || longArmedCode_ == request.code)) {
        longActive_ = true;
        longPollsLeft_ = longArmedPolls_;
        longArmedPolls_ = -1;
        longCode_ = request.code;
        longResult_ = Execute(request);
        longResultReady_ = false;
        ExchangeRecord record = Respond(request, frame, 11, {}, true);
        record.note = "long operation";
        return record;
      }
      Result result = Execute(request);
      return Respond(request, frame, result.code, std::move(result.fields), true);
    }
    case 2:
      if (longActive_ && longPollsLeft_ > 0) {
        --longPollsLeft_;
        return Respond(request, frame, 11, {}, true);
      }
      longResultReady_ = longActive_;
      return Respond(request, frame, 0, {}, true);
    case 3:
      if (longActive_ && longPollsLeft_ > 0) return Respond(request, frame, 11, {}, true);
      if (longActive_) {
        longActive_ = false;
        longResultReady_ = false;
        return Respond(request, frame, longResult_.code, longResult_.fields, true);
      }
      return Respond(request, frame, 32, {}, true);
    case 4:
    case 5: {
      if (request.code != "S04") return Respond(request, frame, 32, {}, true);
      Result result = JournalTransfer(request);
      return Respond(request, frame, result.code, std::move(result.fields), true);
    }
    default:
      return Respond(request, frame, 32, {}, true);
  }
}

Printer::Result Printer::Execute(const Request& request) {
  Result result = Dispatch(request);
  return result;
}

Printer::Result Printer::Dispatch(const Request& r) {
  const Fields& f = r.fields;
  const std::string& c = r.code;
  if (c == "D01") return DisplayRowsCommand(f);
  if (c == "D02") return DisplayRaw(f);
  if (c == "F01") return FiscalParameter(f);
  if (c == "F02") return Fiscalise(f);
  if (c == "P01") return Logo(f);
  if (c == "P02") return StartReceipt(f);
  if (c == "P03") return ItemLine(f);
  if (c == "P04") return ImmediateVoid();
  if (c == "P06") return ItemAdjustment(f);
  if (c == "P07") return SubtotalAdjustment(f);
  if (c == "P08") return Subtotal(f);
  if (c == "P09") return Payment(f);
  if (c == "P10") return PrintTotal();
  if (c == "P11") return VatTable();
  if (c == "P12") return CloseReceipt(f);
  if (c == "P13") return ReceiptCopy(f);
  if (c == "P14") return CashDocument(f);
  if (c == "P15") return DailyReport(f);
  if (c == "P16") return RangeReport(f, false, false);
  if (c == "P17") return RangeReport(f, true, false);
  if (c == "P18") return RangeReport(f, false, true);
  if (c == "P19") return RangeReport(f, true, true);
  if (c == "P20") return PrintLines(f);
  if (c == "P21") return PrintJournal();
  if (c == "P22") return RawPrinter(f);
  if (c == "P23") return Invoice(f, false);
  if (c == "P24") return HasInvoiceCommand() ? Invoice(f, true) : Result{35, {}};
  if (c == "P25") return HasInvoiceCommand() ? ReceiptIdKnown(f) : Result{35, {}};
  if (c == "S01") return FiscalState();
  if (c == "S02") return Clock(f);
  if (c == "S03") return FiscalData(f);
  if (c == "S05") {
    if (receipt_.open) return {42, {}};
    rawLine_.clear();
    slipSelected_ = false;
    display_.assign(2, std::string(20, ' '));
    return {0, {}};
  }
  if (c == "S06") {
    serviceConfirm_ = false;
    return {0, {}};
  }
  if (c == "S07") {
    memNearFullConfirm_ = false;
    return {0, {}};
  }
  if (c == "S08") return OperatingData();
  if (c == "S09") {
    int status = MechanicalStatus();
    if (statusOverrideCount_ != 0) {
      status = statusOverride_;
      if (statusOverrideCount_ > 0) --statusOverrideCount_;
    }
    return {0, {std::to_string(status)}};
  }
  if (c == "S10") return JournalCheck(f);
  if (c == "S11" || c == "S13") return {0, {}};
  if (c == "S12") {
    longActive_ = false;
    return {0, {}};
  }
  if (c == "S14") return ClearFiscalModule();
  if (c == "T01") return MemoryTest();
  if (c == "T02") return TrainingCommand(f);
  if (c == "T03") return PrintingCommand(f);
  return {35, {}};
}

// ---- helpers ----

int Printer::MechanicalStatus() const {
  if (coverOpen_) return 1;
  if (paper_ == PaperState::kOut) return 2;
  if (paper_ == PaperState::kNearEnd) return 6;
  return 0;
}

int Printer::PrintBlocker() const { return (coverOpen_ || paper_ == PaperState::kOut) ? 51 : 0; }

bool Printer::NewStateDigits() const { return fwMajor_ >= 3 || fwMinor_ >= 14; }
bool Printer::HasInvoiceCommand() const { return fwMajor_ >= 3 || fwMinor_ >= 22; }

bool Printer::DayClosureRequired() const {
  if (forcedDayClosure_) return true;
  // A fiscal day lasts at most 24 hours from its first document.
  return dayOpenedAt_ != 0 && Now() - dayOpenedAt_ >= 24 * 3600;
}

int Printer::StateDigit() const {
  if (receipt_.open) {
    if (receipt_.settled) return NewStateDigits() ? 3 : 6;
    if (receipt_.anyPayment) return NewStateDigits() ? 5 : 3;
    return 2;
  }
  return DayClosureRequired() ? 1 : 4;
}

void Printer::MarkDayActivity() {
  if (dayOpenedAt_ == 0) dayOpenedAt_ = Now();
}

std::string Printer::Trimmed(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  std::size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

void Printer::PrintLine(const std::string& cp1250) {
  documentText_ += cp1250;
  documentText_ += "\r\n";
  if (!printing_) return;
  paperText_ += Cp1250ToUtf8(cp1250);
  paperText_ += '\n';
}

void Printer::PrintCentered(const std::string& cp1250) {
  std::string text = cp1250.size() > 40 ? cp1250.substr(0, 40) : cp1250;
  PrintLine(std::string((40 - text.size()) / 2, ' ') + text);
}

void Printer::PrintTwoColumns(const std::string& left, const std::string& right) {
  std::string l = left;
  if (l.size() + right.size() + 1 > 40) {
    PrintLine(l);
    l.clear();
  }
  std::size_t gap = 40 - l.size() - right.size();
  if (right.size() >= 40) gap = 0;
  PrintLine(l + std::string(gap, ' ') + right);
}

std::string Printer::HeaderLine(int item) const {
  auto it = parameters_.find(item);
  if (it != parameters_.end()) return it->second;
  static const char* const kDefaults[] = {"VIRTUÁLNA PREDAJŇA s.r.o.",
                                          "Hlavná 1",
                                          "811 01 Bratislava",
                                          "IČO: 12345678",
                                          "DIČ: 2020123456",
                                          "IČ DPH: SK2020123456",
                                          "Prevádzka: Predajňa 1",
                                          "",
                                          ""};
  if (item >= 1 && item <= 9) return Utf8ToCp1250(kDefaults[item - 1]);
  return std::string();
}

void Printer::PrintHeader() {
  for (int item : {1, 2, 3, 4, 5, 6, 7, 8, 9, 60, 61, 62}) {
    std::string line = Trimmed(HeaderLine(item));
    if (!line.empty()) PrintCentered(line);
  }
}

void Printer::BeginDocument() {
  documentText_.clear();
  rawLine_.clear();
}

void Printer::Cut() {
  if (!printing_) return;
  paperText_ += std::string(40, '-');
  paperText_ += "\n\n";
}

void Printer::EndDocument(int type, int number, Cents total, bool journal) {
  Cut();
  if (number > 0) {
    recentDocuments_[number] = documentText_;
    while (recentDocuments_.size() > 50) recentDocuments_.erase(recentDocuments_.begin());
  }
  if (journal && !training_) {
    // The binary record: type, number, time, total and the text's CRC, little
    // endian; it holds 0x00 bytes like the printer's own records do.
    std::string record;
    auto put = [&record](std::uint64_t value, int bytes) {
      for (int i = 0; i < bytes; ++i) record += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    record += 'K';
    put(static_cast<std::uint64_t>(type), 1);
    put(static_cast<std::uint64_t>(number), 4);
    put(static_cast<std::uint64_t>(Now()), 4);
    put(static_cast<std::uint64_t>(total), 8);
    put(static_cast<std::uint64_t>(closureNumber_ + 1), 2);
    std::string crc = FrameCrc(documentText_);
    record += crc;
    journal_.AddDocument(documentText_, record);
  }
  documentText_.clear();
}

int Printer::VatRate(int group) const {
  auto it = parameters_.find(50 + group);
  if (it != parameters_.end()) return std::atoi(it->second.c_str());
  static const int kDefaults[] = {20, 10, 5, 0, 0, 0, 0, 0};
  return (group >= 1 && group <= 8) ? kDefaults[group - 1] : 0;
}

std::string Printer::TakeNewPaper() {
  std::string fresh = paperText_.substr(paperTaken_);
  // A printer that runs for days keeps only the recent paper in memory; the
  // paper file has it all.
  constexpr std::size_t kKeep = 4u << 20;
  if (paperText_.size() > 2 * kKeep) paperText_.erase(0, paperText_.size() - kKeep);
  paperTaken_ = paperText_.size();
  return fresh;
}

std::vector<std::string> Printer::DisplayRows() const {
  std::vector<std::string> rows;
  for (const std::string& row : display_) rows.push_back(Cp1250ToUtf8(row));
  return rows;
}

}  // namespace kestrel::emulator
