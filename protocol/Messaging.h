#pragma once
// Messaging speaks the printer's request/reply protocol: it builds request
// packets, exchanges them over RS232 (retries, the resend on a sequence error,
// polling of long operations), reads reply fields, maps reply codes onto OPOS
// results and Slovak error texts, and keeps the printer's status and state.
//
// One object per process (Messaging::Instance()). The link to the printer
// (exchange, reply pairing, sequence digit, busy lock) is a Link of its own
// (Link.h); the builder and exchange operations below are thin wrappers that
// build one Request and keep the last Reply. The status half in MessagingErrors.cpp, MessagingStatus.cpp and
// MessagingState.cpp; the printer commands in one file per group
// (MessagingQueries.cpp, MessagingPassThrough.cpp, later the receipt and
// report commands).
//
// Results are the numbers of tools/Results.h: 0, 101..113, or an extended
// code above 200 that the service reports as 114 with ResultCodeExtended.
// Nothing here throws.
#include <cstddef>
#include <string>

#include "protocol/DocumentTexts.h"
#include "protocol/JournalBlock.h"
#include "protocol/Link.h"
#include "protocol/Reply.h"
#include "protocol/ReplyCodes.h"
#include "protocol/Request.h"
#include "protocol/Stations.h"
#include "serial/Frame.h"
#include "tools/Results.h"
#include "tools/Singleton.h"

namespace kestrel {

// The cached UnifiedPOS PrinterState values.
constexpr int kPrinterStateMonitor = 1;              // FPTR_PS_MONITOR
constexpr int kPrinterStateFiscalReceipt = 2;        // FPTR_PS_FISCAL_RECEIPT
constexpr int kPrinterStateFiscalReceiptTotal = 3;   // FPTR_PS_FISCAL_RECEIPT_TOTAL
constexpr int kPrinterStateFiscalReceiptEnding = 4;  // FPTR_PS_FISCAL_RECEIPT_ENDING
constexpr int kPrinterStateNonFiscal = 9;            // FPTR_PS_NONFISCAL

// Rows of the customer display that a text may fill (the row count of the
// configuration is clamped to 0..9).
constexpr int kMaxDisplayRows = 9;

constexpr std::size_t kErrorTextSize = 101;  // 100 characters and the terminator
constexpr int kVatGroups = 8;                // groups A..H
constexpr int kVatValues = 3;                // rate, net amount, VAT amount

class Messaging : public ProcessSingleton<Messaging> {
 public:
  // ======================= Busy flag ===============================
  // One lock per process serialises every use of Messaging by the service.
  // It is held by a BusyGuard (below) for the whole interface method and
  // records the thread that owns it. Nothing else releases it: the error
  // reporting and property methods of the service leave it alone while a
  // guard exists.
  //
  // True when the calling thread holds the lock (through an outer guard).
  bool IsBusyOwnedByThisThread() const { return link_.IsBusyOwnedByThisThread(); }
  // True when any thread holds the lock.
  bool IsBusy() const { return link_.IsBusy(); }

  // ======================= Building a request ======================
  // A command builds its request in this order: CreatePacketOut, any number
  // of AddPacketOutField / AddPacketOutText, ClosePacketOut; then
  // SendReceive(timeout) and, on 0, GetPacketInField for the reply fields.
  //
  // All of these return 0. The one exception: when a request would outgrow
  // its 10000-byte buffer, the buffer is left as it was before the append,
  // the request is marked refused (logged once) and the builder returns 106;
  // every later append or close returns 106 too, and SendReceive /
  // SendPacket refuse the request with 106 without sending anything, until
  // the next CreatePacketOut.
  //
  // Clears the buffer; writes STX, at most three characters of code, the next
  // sequence digit and the type as two digits.
  int CreatePacketOut(const char* code, int type);
  // Appends FS and the text. Bytes below 0x20 are sent as blanks so that a
  // text can never carry STX, ETX, FS or NUL into the frame; the width stays.
  int AddPacketOutField(const char* text);
  // Appends at most maxLength bytes of text, control bytes dropped, as fields
  // of exactly 40 characters (the last padded with blanks). Nothing left:
  // one field of 40 blanks when addBlank, else nothing.
  int AddPacketOutText(const char* text, bool addBlank, int maxLength);
  // Appends ETX and the four CRC digits over STX..ETX.
  int ClosePacketOut();
  // Rewrites a closed request in place: code (when not null), the present
  // sequence digit, the type (when > 0), and the CRC. 0.
  int UpdatePacketOut(const char* code, int type);

  // ======================= Exchange ================================
  // Sends the request and reads the reply with up to three attempts, one
  // resend on reply 31 and polling of a long operation on reply 11.
  // 111 (invalid reply), 112 (no reply), 106 (request refused, see above) or
  // GetUPOSError of the reply code. A reply is taken only when it answers
  // this request (the rules are in MessagingExchange.cpp); on a port just
  // opened, or after an exchange that ended without a reply, the line is
  // first listened to and cleared for up to timeoutSeconds.
  int SendReceive(int timeoutSeconds);
  // The request as it stands: RS232::SendPacket's result (0, 101, 111), or 106
  // for a refused request.
  int SendPacket();
  // Refreshes sequence digit and CRC, then SendPacket.
  int ResendPacket();
  // Reads one reply: an RS232::ReadPacket error (101, 111, 112) or the reply
  // code (0 for a valid reply shorter than 12 bytes). Follows the printer's
  // sequence digit. Frames that answer an earlier request are dropped and
  // the read goes on within the same time-out.
  int ReadPacket(int timeoutSeconds);
  // Polls a long operation with type 02 every interval seconds, up to
  // limit/interval polls, then fetches its result with type 03. The result
  // request's reply code, 112, or a send error.
  int ProcessLongOperation(int intervalSeconds, int limitSeconds);
  // Field index of the last reply (0 = the first field after the header;
  // empty fields are skipped) into buffer, which always ends up terminated:
  // at most size - 1 bytes are copied. 0, or 111 when there is no such field
  // (buffer then empty), or for a null buffer or size < 1.
  int GetPacketInField(char* buffer, int size, int index);

  // ======================= Port ====================================
  int OpenPort();        // RS232::OpenPort
  int ClosePort();       // 0, after RS232::ClosePort
  bool PortOpened();     // RS232::PortOpened without reopening
  int EnsurePortOpen();  // 0 when open, else OpenPort

  // ======================= Error text and State ====================
  // Stores at most 100 characters; a null text changes nothing.
  void SetErrorMessage(const char* text);
  const char* GetErrorMessage() const;
  // The UnifiedPOS State property value (1 closed, 2 idle, 4 error).
  void SetState(int state);
  int GetState() const;

  // ======================= Status and errors =======================
  // Reply code → result, storing the Slovak error text where the code has
  // one. Code 51 asks the printer for its status (S09) once; the command's
  // own request and reply stay in place for the caller.
  int GetUPOSError(int replyCode);
  // Station 4: slip status (204 / 205, or 204 at once without a slip
  // station); any other: receipt status 0, 201, 203, 305. 112 when the
  // printer does not answer, 111 for any other failure.
  int GetPrinterStatus(int station);
  // The cached PrinterState, or (refresh, firmware known) the state read
  // from the printer; the refreshed value is not written back to the cache.
  int GetFiscalPrinterState(bool refresh);

  // Fiscal state flags and numbers, each through its own S01 request. A
  // failed request reads as false / 0.
  bool GetEODRequired();
  bool GetTrainingModeActive();
  bool GetMemNearFullConfirmRequired();
  bool GetServiceConfirmRequired();
  // S01 field 5: the number of the printer's last receipt. (The number the
  // service stores after each receipt is the journal's.)
  int GetReceiptNumber();
  double GetDailyTotal();

  // Receipt amounts of the open receipt, as the printer last returned them.
  double GetReceiptItemAmount() const;
  double GetReceiptAmountLeft() const;
  // Asks for the subtotal without printing (P08 "0") and returns the stored
  // value whether or not that succeeded.
  double GetReceiptSubtotal();

  // Fills the VAT summary from the last reply (the VAT table command's);
  // groups outside A..H are skipped. Always 0.
  int GetVatSummary();
  // [group][index] of the summary; 0 outside 0..7 / 0..2.
  double GetVatSummaryValue(int group, int index);

  // Determines the firmware version once per process (S08 field 0, or 2-7
  // with the V7 protocol). 0, or 111 when it had to be assumed.
  int SetFirmwareVersion(bool v7Protocol);
  int GetMajorVersion() const;
  int GetMinorVersion() const;
  // Reads fiscal data item 73: a slip station is present when it is 6.
  // 0, or 111 when the printer could not tell.
  int SetSlipPresent();
  bool GetSlipPresent() const;

  // ======================= Commands (queries, display, pass-through) ==
  // S01: fiscal state field index into buffer (at most size - 1 bytes).
  int GetFiscalState(int index, char* buffer, int size);
  // S08: operating data field index into buffer.
  int ReadOperatingData(int index, char* buffer, int size);
  // S03 with item ("%02d"): field 0 into buffer; items 63..65 append "|" and
  // field 1, within size.
  int ReadFiscalData(int item, char* buffer, int size);
  // P22: raw bytes for the printer mechanism, as hexadecimal text.
  int SetPrinter(const char* hexText);
  // D01: the text, control bytes dropped, cut and padded to rows x 20
  // characters, one field per row. Rows are clamped to 0..9; with none,
  // nothing is sent and the result is 0.
  int DisplayText(const char* text, int rows);
  // P08: subtotal, printed (print) or only reported; stores reply field 0.
  int Subtotal(bool print);

  // ======================= Receipt commands ========================
  // (ReceiptCommands.cpp, CashAndInvoiceCommands.cpp, HeaderAndLogo.cpp,
  // JournalCommands.cpp, PrintLines.cpp.) Currency arguments are amount x
  // 10 000, quantities x 10 000 (0 = one piece). Each returns 0 or the
  // result of SendReceive unless its comment says otherwise. The stored
  // trailer and header come from texts when the document prints them; what
  // the journal keeps of a document is the service's (service/PrinterJournal.h).
  //
  // P02: opens a fiscal receipt with the present time; a non-empty id goes
  // left-padded with "0" to 16 characters. Success: PrinterState 2, receipt
  // amounts and VAT summary cleared.
  int StartTicket(bool displayDisabled, const char* receiptId);
  // P03: kind 0 sale, 1 void of an earlier item, 2 refund (anything else is
  // a sale). The unit price is derived from price and quantity when it is 0.
  int Item(int kind, const char* description, long long price, int quantity, int vatId, long long unitPrice,
           const char* unitName);
  // P04: voids the item just registered.
  int ItemImmVoid();
  // P06: adjustment of the last item by the signed amount (kind 0 plain).
  int ItemAdjustment(int kind, const char* description, int vatId, long long amount);
  // P07: adjustment of the subtotal by the signed amount.
  int SubtotalAdjustment(long long amount);
  // P09 after an unprinted subtotal: 0 when the receipt is settled
  // (PrinterState 4), 212 when an amount is still due or to be returned
  // (PrinterState 3, shown on the display unless displayDisabled).
  int Payment(long long amount, const char* paymentForm, bool displayDisabled, int displayRows);
  // P10: prints the total.
  int PrintTotal();
  // P11: prints the VAT table and stores the VAT summary of the reply.
  int PrintVatTable();
  // P12 with the stored trailer: closes (cancel false) or cancels the
  // receipt. The printer's receipt number is asked first (a printer that
  // does not answer is sent no close) and goes to receiptNumber when given
  // (0 when it could not be read). On 0 PrinterState 1.
  int CloseTicket(bool cancel, DocumentTexts& texts, int* receiptNumber = nullptr);
  // P13: a copy of receipt number (0 = the last one); 106 outside 0..99 999.
  int TicketCopy(int number);
  // P14: cash in (amount >= 0) or out; a whole document when
  // singleCashReceipt, else a line of the open ticket.
  int Cash(long long amount, bool singleCashReceipt, DocumentTexts& texts);
  // P24 (or P23 on older firmware, with the stored trailer): a simple
  // invoice, or a credit note for a negative amount.
  int Invoice(long long amount, const char* text, DocumentTexts& texts);
  // P01: mode 0 loads the logo from a file (at most 999 blocks of 100
  // bytes, else 106 without traffic), 1 prints it, 2 queries it into out
  // (at least 5 bytes). 106 for any other mode.
  int PrinterLogo(int mode, const char* path, char* out);
  // Prints the stored header as a non-fiscal block, with blank lines before
  // and after and, when receiptNumber > 0, a date and number line. A header
  // that texts could not make because the printer fell silent ends it with
  // that result, nothing printed.
  int PrintHeader(int linesBefore, int linesAfter, int station, int receiptNumber, DocumentTexts& texts);
  // S04: one block of the printer's electronic journal: with fromStart its
  // first block (type 4, field "0"), else the one after the block last
  // handed out (type 5). 0 with the block (kind kNone when the reply carries
  // nothing to keep), 202 when the printer has no more, or the failure.
  // Logs nothing of its own: the transfer that asks for the blocks does.
  int ReadJournalBlock(bool fromStart, JournalBlock& block);
  // P20: the text, control bytes dropped, in pieces of 200 characters. The
  // first failure is the result; a piece the printer does not answer (112)
  // ends the text there, any other failure lets the rest go out.
  int PrintLines(const char* text, bool flag);
  // (NonFiscalEnd.cpp) Slip text: code page 852 as hexadecimal, ended by CR,
  // through P22 in pieces of 80 bytes; pieces as PrintLines.
  int PrintSlip(const char* text);
  // P22 with the feed-and-cut sequence.
  int CutPaper();
  // Ends a non-fiscal document: the stored trailer and the cut (nothing for
  // the slip). The cut's result; on 0 PrinterState 1. A trailer the printer
  // does not answer ends it there, with that result and no cut.
  int EndNonFiscal(int station, DocumentTexts& texts);
  // Brings the cached PrinterState in line with what the printer reported
  // (a receipt found already closed at the printer).
  void SetFiscalPrinterState(int state);

  // ======================= Reports, service, display, set-up ========
  // (ReportCommands.cpp, ServiceCommands.cpp, DisplayCommands.cpp,
  // NonFiscalStart.cpp, JournalCommands.cpp.) Each returns 0 or the result
  // of SendReceive unless its comment says otherwise.
  //
  // Simple commands without fields.
  int PrintJournal();          // P21
  int ClearOperatingMemory();  // S05
  int ConfirmService();        // S06
  int ConfirmMemNearFull();    // S07
  int OpenDrawer();            // S11
  int CancelCommand();         // S12
  int ClearServiceInterval();  // S13
  int ClearFiscalModule();     // S14 (a minute's time-out)
  int TestFM();                // T01
  // T02: training mode on ("2") or off ("1").
  int TrainingMode(bool on);
  // T03: printing on ("1") or off ("0").
  int PrintEnabled(bool on);
  // P15: the X report, or with z the Z report that closes the fiscal day.
  int Report(bool z);
  // P16 / P18 over closure numbers: both texts must read as 1..999 999,
  // else 106 without traffic.
  int ReportSummaryByNum(const char* from, const char* to);
  int ReportDetailedByNum(const char* from, const char* to);
  // P17 / P19 over dates "%d%m%Y%H%M" (twelve digits), sent as "%Y%m%d";
  // a text that is not such a date gives 106 without traffic.
  int ReportSummaryByDate(const char* from, const char* to);
  int ReportDetailedByDate(const char* from, const char* to);
  // Starts a non-fiscal document on station: logo (not on the slip), then
  // the stored header. On 0 PrinterState 9.
  int StartNonFiscal(int station, DocumentTexts& texts);
  // D02: raw bytes for the customer display, as hexadecimal text.
  int SetDisplay(const char* hexText);
  // D02 with the cursor put at row + 1, column + 1, then the text in code
  // page 852.
  int DisplayTextAt(const char* text, int row, int column);
  // F01: fiscal parameter item ("%02d") with value and, when not null,
  // value2. Items outside 0..99 are refused with 106 without traffic.
  int SetFiscalParams(int item, const char* value, const char* value2);
  // F02: fiscalises the printer with number.
  int Fiscalize(int number);
  // P25: whether the printer knows a receipt with this id. False without
  // traffic for an id over 16 characters or firmware older than 2.22; true
  // unless the printer answers 106 (a transport failure also reads as true).
  bool ReceiptIdExists(const char* id);
  // S02. read: the printer clock "%Y%m%d%H%M%S" into out (15 bytes, may be
  // null). Otherwise date "%d%m%Y%H%M" (exactly twelve characters) sets the
  // clock, seconds 00 and the weekday; 106 without traffic for a bad date.
  int SetDate(const char* date, bool read, char* out);
  // S10: 0 when the printer's journal check code equals code (16 hex digits).
  int CheckJournalCheckCode(const char* code);
  // (FiscalStateQueries.cpp) The questions of the getters above, with the
  // result of the request behind the answer: 0 and the answer, or the
  // request's failure and a neutral answer (false, 0, the cached state).
  int AskFiscalPrinterState(int& state);
  int AskEODRequired(bool& required);
  int AskTrainingModeActive(bool& active);
  int AskServiceConfirmRequired(bool& required);
  int AskMemNearFullConfirmRequired(bool& required);
  int AskDailyTotal(double& total);
  int AskPrinterReceiptNumber(int& number);
  int AskReceiptSubtotal(double& subtotal);

  // ======================= The printer's word on a command ==========
  // True when the last exchange ended without a reply that could be read
  // (none in time, or only damaged ones): the printer may have carried the
  // request out. A receipt command that can learn what happened from the
  // printer (a line from the subtotal, a payment from the state, a close or
  // a cancel from the state) does so before it returns: carried out gives 0,
  // not carried out its own failure, and when the printer cannot tell it
  // returns 112 and this stays true.
  bool OutcomeUnknown() const { return outcomeUnknown_; }

  // ======================= Buffers (read only) =====================
  // The request being built or last sent, and the last reply frame, both
  // NUL-terminated.
  const char* PacketOut() const { return request_.Frame().c_str(); }
  const char* PacketIn() const { return reply_.frame.c_str(); }
  int NextSequence() const { return link_.NextSequence(); }

 private:
  friend class ProcessSingleton<Messaging>;
  friend class BusyGuard;
  friend struct MessagingTestPeer;  // tests/protocol only
  Messaging();

  // Busy lock (the link's): true when this call took it.
  bool AcquireBusy() { return link_.AcquireBusy(); }
  void ReleaseBusy() { link_.ReleaseBusy(); }
  // Field index of reply into buffer (GetPacketInField's rules), logged as
  // GetPacketInField.
  int ReplyField(const Reply& reply, int index, char* buffer, int size);

  // Reply 51: asks the printer's status and maps it (201, 203 or 0).
  int PrinterErrorFromStatus();
  // A line command's end: on 0 the reply's amount of the line; on an
  // unreadable reply the outcome learnt from the subtotal.
  int LineDone(int result);
  // The PrinterState that fiscal state digit d (S01 field 3) means on this
  // firmware.
  int StateFromDigit(int digit) const;
  // (ReceiptOutcome.cpp) What happened to a line, a payment or a close or
  // cancel whose reply never came readable; failure is the exchange's result.
  int LearnStartOutcome(int failure);
  int LearnLineOutcome(int failure);
  int LearnPaymentOutcome(int failure, int stateBefore);
  int LearnEndOutcome(int failure);
  // 112 with its text: the printer cannot tell what became of the command.
  int NoOutcome(const char* why);

  // ---- the link and the request and reply of the wrappers ----
  Link link_;
  Request request_;
  Reply reply_;
  char errorText_[kErrorTextSize];
  int state_ = 1;

  // ---- printer status and state ----
  int majorVersion_ = -1;
  int minorVersion_ = -1;
  bool slipPresent_ = false;
  int printerState_ = kPrinterStateMonitor;
  double itemAmount_ = 0;
  double subtotal_ = 0;
  double amountLeft_ = 0;
  double vatSummary_[kVatGroups][kVatValues] = {};

  // ---- what is known of the open receipt, for learning outcomes ----
  bool outcomeUnknown_ = false;
  bool subtotalKnown_ = false;  // knownSubtotal_ is the printer's present subtotal
  double knownSubtotal_ = 0;
  double lineChange_ = 0;  // what the line being sent adds to the subtotal
};

// Holds Messaging's busy lock for the lifetime of one interface method.
// The constructor waits while another thread holds the lock, then takes it
// for this thread. On the thread that already holds it (an application
// handler called back from inside a status event, calling the service
// again) it takes nothing and reports ReEntered(); the service then serves
// the inner call without disturbing the outer one. Only the guard that took
// the lock releases it, in its destructor.
class BusyGuard {
 public:
  BusyGuard();
  ~BusyGuard();
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

  bool ReEntered() const { return !owns_; }

 private:
  bool owns_;
};

// A reply amount: the first "," becomes ".", then the leading number of the
// text as a double (0 when there is none). Null reads as 0.
double DecodeReplyAmount(const char* text);

// The printer did not answer (112). A sender of several pieces stops at such
// a piece: the rest could only cost three time-outs each.
inline bool PrinterUnreachable(int result) { return result == kTimeout; }

}  // namespace kestrel
