#pragma once
// The virtual fiscal printer's core: one request frame in, one reply frame out.
// No I/O and no threads; time comes from the clock it is given, so the same
// requests give the same replies. The front end (Device) adds the faults and
// the pty server puts it on a line.
#include <cstddef>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "emulator/ElectronicJournal.h"
#include "emulator/Frame.h"
#include "emulator/Money.h"

namespace kestrel::emulator {

struct PrinterOptions {
  std::string firmware = "2.5.23";
  bool slipStation = false;
  // Strict numbering: a request must carry the last reply's digit + 1, or
  // else 31; the last digit again is a repeat, answered from memory without
  // being carried out twice, whatever the request says.
  bool strictSequence = false;
  // Free journal blocks once the host has confirmed them (a transfer from
  // the start then begins at the first unconfirmed block).
  bool freeConfirmedJournal = false;
  // Replies carry the request's command code; off: the printer's own code
  // "000" on every reply.
  bool echoCode = true;
  // The printer's clock; the system clock when empty.
  std::function<std::time_t()> now;
};

enum class PaperState { kOk, kNearEnd, kOut };

// What one exchange did, for the trace and for tests.
struct ExchangeRecord {
  bool parsed = false;
  Request request;
  bool answered = false;
  int replyCode = -1;
  std::vector<std::string> replyFields;
  std::string replyFrame;
  std::string note;  // fault or special handling, empty normally
};

class Printer {
 public:
  explicit Printer(PrinterOptions options = {});

  // The core entry point: the reply frame, or empty for no answer.
  std::string Handle(const std::string& requestFrame);
  // The same, with the details of the exchange.
  ExchangeRecord Exchange(const std::string& requestFrame);
  // Answers a request with the given code without carrying it out (faults);
  // the reply still takes the printer's next sequence digit.
  ExchangeRecord AnswerOnly(const Request& request, int replyCode, std::vector<std::string> fields = {});
  // Carries the request out and, when it succeeded, answers with replyCode
  // instead of 0, keeping the reply's fields (a warning the host must ask
  // about, such as 51 while the paper runs low).
  ExchangeRecord ExchangeWithWarning(const std::string& requestFrame, int replyCode);
  // Answers 31 without carrying the request out; the reply carries the last
  // digit used, so the host's resend comes with the expected one.
  ExchangeRecord SequenceError(const Request& request);

  // ---- mechanics and flags (faults and set-up) ----
  void SetCoverOpen(bool open) { coverOpen_ = open; }
  void SetPaper(PaperState state) { paper_ = state; }
  void SetSlipStation(bool present) { slipStation_ = present; }
  void SetSlipInserted(bool inserted) { slipInserted_ = inserted; }
  void SetDayClosureRequired(bool required) { forcedDayClosure_ = required; }
  void SetMemoryNearFullConfirmation(bool required) { memNearFullConfirm_ = required; }
  void SetServiceConfirmation(bool required) { serviceConfirm_ = required; }
  void SetStrictSequence(bool strict) { options_.strictSequence = strict; }
  void SetEchoCode(bool echo) { options_.echoCode = echo; }
  // S09 answers this status for the next `count` requests (-1: until reset).
  void OverrideStatus(int status, int count);
  void ClearStatusOverride() { statusOverrideCount_ = 0; }
  // S10 answers a mismatch for the next `count` checks whatever it receives.
  void RejectCheckCodes(int count) { rejectCheckCodes_ = count; }
  // The next type-01 request (of `code` when not empty) answers 11 and stays
  // busy for `polls` polls before its result can be fetched.
  void ArmLongOperation(int polls, const std::string& code);
  void SetFirmware(const std::string& firmware);

  // ---- observation ----
  int MechanicalStatus() const;  // the S09 value without overrides
  int StateDigit() const;        // S01 field 3
  bool DayClosureRequired() const;
  bool ReceiptOpen() const { return receipt_.open; }
  // The open receipt's lines (voided ones included) and what was paid on it.
  std::size_t ReceiptLineCount() const { return receipt_.lines.size(); }
  Cents ReceiptPaid() const { return receipt_.paid; }
  // The number of the last receipt closed (not cancelled), 0 before any.
  int LastReceiptNumber() const { return lastReceiptNumber_; }
  bool TrainingMode() const { return training_; }
  Cents DailyTotal() const { return dailyTotal_; }
  int ClosureNumber() const { return closureNumber_; }
  int DocumentsToday() const { return documentsToday_; }
  const std::string& Firmware() const { return options_.firmware; }
  ElectronicJournal& Journal() { return journal_; }
  const ElectronicJournal& Journal() const { return journal_; }
  // Everything printed so far, UTF-8, one document after the other.
  const std::string& Paper() const { return paperText_; }
  // Paper printed since the last call (the program appends it to its file).
  std::string TakeNewPaper();
  // The customer display, two rows of 20 characters (UTF-8).
  std::vector<std::string> DisplayRows() const;
  std::time_t Now() const;

  // ---- the state directory ----
  // Writes counters, fiscal memory, parameters and the journal. 0 or -1.
  int Save(const std::string& directory) const;
  // Reads them back; a missing file leaves the factory state. 0 or -1.
  int Load(const std::string& directory);

 private:
  struct Line {
    enum Kind { kSale, kRefund, kVoid, kItemAdjustment, kSubtotalAdjustment };
    Kind kind = kSale;
    int vat = 1;
    Units quantity = 0;
    Units unitPrice = 0;
    Cents amount = 0;  // signed, as it counts in the receipt
    std::string description;
    bool voided = false;
  };
  struct Receipt {
    bool open = false;
    int number = 0;
    std::vector<Line> lines;
    Cents paid = 0;
    bool anyPayment = false;
    bool settled = false;
    std::string id;
  };
  struct Closure {
    int number = 0;
    std::time_t time = 0;
    Cents total = 0;
    int documents = 0;
  };
  using Fields = std::vector<std::string>;
  struct Result {
    int code = 0;
    Fields fields;
  };

  ExchangeRecord Respond(const Request& request, const std::string& frame, int code, Fields fields, bool remember);
  // The command code a reply to the request carries.
  std::string ReplyCodeFor(const Request& request) const;
  // The remembered reply again, for a repeated request.
  ExchangeRecord Repeat(const Request& request) const;
  Result Execute(const Request& request);
  Result Dispatch(const Request& request);

  // Commands, grouped by file: PrinterReceipt.cpp, PrinterDocuments.cpp,
  // PrinterQueries.cpp, PrinterRaw.cpp.
  Result StartReceipt(const Fields& f);
  Result TicketLine(Cents cents, const std::string& label);
  Result ItemLine(const Fields& f);
  Result ImmediateVoid();
  Result ItemAdjustment(const Fields& f);
  Result SubtotalAdjustment(const Fields& f);
  Result Subtotal(const Fields& f);
  Result Payment(const Fields& f);
  Result PrintTotal();
  Result VatTable();
  Result CloseReceipt(const Fields& f);
  Result ReceiptCopy(const Fields& f);
  Result CashDocument(const Fields& f);
  Result Invoice(const Fields& f, bool newCommand);
  Result ReceiptIdKnown(const Fields& f);
  Result Logo(const Fields& f);
  Result DailyReport(const Fields& f);
  Result RangeReport(const Fields& f, bool byDate, bool detailed);
  Result PrintLines(const Fields& f);
  Result PrintJournal();
  Result RawPrinter(const Fields& f);
  Result DisplayRowsCommand(const Fields& f);
  Result DisplayRaw(const Fields& f);
  Result FiscalParameter(const Fields& f);
  Result Fiscalise(const Fields& f);
  Result FiscalState();
  Result Clock(const Fields& f);
  Result FiscalData(const Fields& f);
  Result OperatingData();
  Result JournalTransfer(const Request& request);
  Result JournalCheck(const Fields& f);
  Result TrainingCommand(const Fields& f);
  Result PrintingCommand(const Fields& f);
  Result MemoryTest();
  Result ClearFiscalModule();

  // Helpers.
  int PrintBlocker() const;  // 51 when the receipt station cannot print, else 0
  bool NewStateDigits() const;
  bool HasInvoiceCommand() const;
  Cents ReceiptTotal() const;
  std::map<int, Cents> GrossByVat() const;
  int VatRate(int group) const;
  void PrintLine(const std::string& cp1250);  // to paper and the open document
  void PrintCentered(const std::string& cp1250);
  void PrintTwoColumns(const std::string& left, const std::string& right);
  void PrintHeader();
  void BeginDocument();
  void EndDocument(int type, int number, Cents total, bool journal);
  void Cut();
  void MarkDayActivity();
  std::string TimeText(const char* format) const;
  std::string HeaderLine(int item) const;
  static std::string Trimmed(const std::string& text);

  PrinterOptions options_;
  int fwMajor_ = 2;
  int fwMinor_ = 23;
  // Sequence digits.
  char lastDigit_ = '9';
  std::string lastRequestFrame_;
  std::string lastReplyFrame_;
  // Long operation.
  int longArmedPolls_ = -1;
  std::string longArmedCode_;
  bool longActive_ = false;
  int longPollsLeft_ = 0;
  std::string longCode_;
  Result longResult_;
  bool longResultReady_ = false;
  // Mechanics.
  bool coverOpen_ = false;
  PaperState paper_ = PaperState::kOk;
  bool slipStation_ = false;
  bool slipInserted_ = false;
  bool slipSelected_ = false;
  int statusOverride_ = 0;
  int statusOverrideCount_ = 0;
  int rejectCheckCodes_ = 0;
  // Fiscal state.
  bool fiscalised_ = true;
  bool training_ = false;
  bool printing_ = true;
  bool forcedDayClosure_ = false;
  bool memNearFullConfirm_ = false;
  bool serviceConfirm_ = false;
  std::time_t clockOffset_ = 0;
  std::time_t dayOpenedAt_ = 0;  // first document of the day, 0: none yet
  std::time_t fiscalisedAt_ = 0;
  Receipt receipt_;
  int documentsToday_ = 0;
  int documentsTotal_ = 0;
  Cents dailyTotal_ = 0;
  Cents grandTotal_ = 0;
  Cents cashIn_ = 0;
  Cents cashOut_ = 0;
  std::map<int, Cents> dailyByVat_;
  int closureNumber_ = 0;
  std::vector<Closure> closures_;
  std::map<int, std::string> parameters_;  // fiscal data items set with F01
  std::vector<std::string> receiptIds_;
  std::map<int, std::string> recentDocuments_;  // number → text, for copies
  int lastReceiptNumber_ = 0;
  std::string logo_;
  std::vector<std::string> display_;
  ElectronicJournal journal_;
  // Paper.
  std::string paperText_;
  std::size_t paperTaken_ = 0;
  std::string documentText_;  // windows-1250 lines of the open document, CR LF
  std::string rawLine_;       // raw bytes waiting for a line end (P22)
};

}  // namespace kestrel::emulator
