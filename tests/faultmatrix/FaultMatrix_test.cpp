// Every command class against every line fault of the virtual printer. Each
// cell runs on a fresh printer and fresh process-wide objects: it sets the
// class up, aims the fault at the class's own command, calls the method and
// checks the result, the error text, the receipt afterwards, the waiting the
// protocol allows, and that the next download saves exactly the printer's
// journal. Each test prints its rows of the matrix.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "protocol/ReplyTimeouts.h"
#include "tests/faultmatrix/MatrixCell.h"
#include "tools/Texts.h"

namespace kestrel::testing {
namespace {

constexpr int32_t kDataZReport = 7;  // FPTR_GD_Z_REPORT, read from the operating data

// What the exchange of the aimed command comes to. A long operation that
// never ends is carried out by the printer all the same; a switched-off
// printer misses every command of the call, not only the aimed one.
enum class Outcome { kDone, kNoReply, kLongTimeout, kOff, kInvalid, kBusy, kCover, kPaperOut, kNearEnd };

struct LineFault {
  const char* name;
  const char* line;         // "%s" stands for the aimed command, "%d" for a late
                            // reply's delay, ";" parts lines; null: switched off
  Outcome outcome;          // what the exchange gives the command
  bool needsCommandPacket;  // long operations start from a command packet only
};

const LineFault kFaults[] = {
    {"none", "", Outcome::kDone, false},
    {"no reply", "noreply 3 %s", Outcome::kNoReply, false},
    {"reply on 2nd", "noreply 1 %s", Outcome::kDone, false},
    {"reply on 3rd", "noreply 2 %s", Outcome::kDone, false},
    {"bad CRC", "badcrc 1 %s", Outcome::kDone, false},
    {"bad CRC x3", "badcrc 3 %s", Outcome::kInvalid, false},
    {"split reply", "split 4 5 1 %s", Outcome::kDone, false},
    {"noise first", "noise 9 1 %s", Outcome::kDone, false},
    // The answer to the host's repeat comes while it waits for the next command.
    {"late reply", "slowrepeat 30;late %d 1 %s", Outcome::kDone, false},
    {"sequence 31", "seqerror 1 %s", Outcome::kDone, false},
    {"long, 3 polls", "long 3 %s", Outcome::kDone, true},
    {"long, 400 polls", "long 400 %s", Outcome::kLongTimeout, true},
    {"busy 12", "busy 1 %s", Outcome::kBusy, false},
    {"51 cover open", "error 1 %s", Outcome::kCover, false},
    {"51 paper out", "error 3 %s", Outcome::kPaperOut, false},
    {"51 near end", "error 6 %s", Outcome::kNearEnd, false},
    {"off, then on", nullptr, Outcome::kOff, false},
};

// What the application sees from a failed exchange (the transport and the
// reply-code mapping), before any class decides more.
struct Expected {
  int32_t result = 0;
  int32_t extended = 0;
  std::string text;  // windows-1250
};

Expected FromExchange(Outcome outcome) {
  switch (outcome) {
    case Outcome::kNoReply:
    case Outcome::kLongTimeout:
    case Outcome::kOff:
      return {kTimeout, 0, text::kTextNoReply};
    case Outcome::kInvalid:
      return {kFailure, 0, text::kTextInvalidReply};
    case Outcome::kBusy:
      return {kBusy, 0, text::kTextBusy};
    case Outcome::kCover:
      return {kExtended, kCoverOpen, text::kTextPrinterError};
    case Outcome::kPaperOut:
      return {kExtended, kReceiptEmpty, text::kTextPrinterError};
    default:
      return {};  // near end counts as done, and its text is emptied
  }
}

// A command whose replies were all unreadable, or whose long operation
// outlasted the polling, was carried out all the same. A receipt command
// learns that from the printer and reports success.
bool CarriedOut(Outcome outcome) { return outcome == Outcome::kInvalid || outcome == Outcome::kLongTimeout; }

// A failed receipt command cancels the receipt unless it got no answer or
// the operator can mend the fault (cover, paper) and the call be repeated.
bool Cancels(Outcome outcome) { return outcome == Outcome::kBusy; }

struct CommandClass {
  const char* name;
  const char* command;  // the command the fault is aimed at
  int timeout;          // its reply time-out in seconds
  int worstSeconds;     // every exchange of the method timing out three times (Silent)
  bool receipt;         // the method works in an open receipt
  std::function<bool(MatrixCell&)> setUp;
  std::function<int32_t(MatrixCell&)> call;
  std::function<Expected(Outcome)> expect;
  std::function<bool(Outcome)> receiptOpenAfter;  // only for receipt classes
  bool offAimable = true;                         // switching off before the call reaches the command
};

int32_t Begin(MatrixCell& cell) {
  int32_t r = -1;
  cell.Fp().BeginFiscalReceipt(true, &r);
  return r;
}
int32_t Item(MatrixCell& cell, const char* name = "Chlieb") {
  int32_t r = -1;
  cell.Fp().PrintRecItem(name, 15000, 10000, 1, 15000, "", &r);
  return r;
}
int32_t Total(MatrixCell& cell) {
  int32_t r = -1;
  cell.Fp().PrintRecTotal(15000, 1000000, "1", &r);  // pays 100,00 for any receipt here
  return r;
}
int32_t End(MatrixCell& cell) {
  int32_t r = -1;
  cell.Fp().EndFiscalReceipt(false, &r);
  return r;
}
int32_t Download(MatrixCell& cell, const std::string& name) {
  int32_t r = -1;
  cell.Fp().QueryContent(cell.Target(name).c_str(), "", "", &r);
  return r;
}
// Helpers answer false instead of asserting: a cell that fails must not
// stop the cells after it.
bool SellOne(MatrixCell& cell) {
  EXPECT_EQ(Begin(cell), 0);
  EXPECT_EQ(Item(cell), 0);
  EXPECT_EQ(Total(cell), 0);
  const int32_t r = End(cell);
  EXPECT_EQ(r, 0);
  return r == 0;
}

// Finishes whatever the printer really has open (a failed call may have
// been carried out all the same): a line, the payment, the close. A receipt
// closed or cancelled already needs nothing more.
void FinishReceipt(MatrixCell& cell) {
  int32_t state = Messaging::Instance().GetFiscalPrinterState(true);
  if (state == kPrinterStateMonitor) return;
  if (state == kPrinterStateFiscalReceipt) {
    EXPECT_EQ(Item(cell, "Mlieko"), 0);
    state = kPrinterStateFiscalReceiptTotal;
  }
  if (state == kPrinterStateFiscalReceiptTotal) {
    EXPECT_EQ(Total(cell), 0) << "paying";
  }
  EXPECT_EQ(End(cell), 0) << "closing";
}

// A silent printer costs each exchange three time-outs, and every exchange
// after the first one its own time-out more: the line is heard out first.
int Silent(std::initializer_list<int> timeouts) {
  int total = 0;
  bool first = true;
  for (int t : timeouts) {
    total += 3 * t + (first ? 0 : t);
    first = false;
  }
  return total;
}

std::vector<CommandClass> Classes() {
  using reply_timeout::kClose;
  using reply_timeout::kCommand;
  using reply_timeout::kStatus;
  const auto plain = [](Outcome o) { return FromExchange(o); };
  const auto learnt = [](Outcome o) { return CarriedOut(o) ? Expected{} : FromExchange(o); };
  const auto openUnlessCancelled = [](Outcome o) { return !Cancels(o); };
  return {
      {"status query", "S08", 4, Silent({4}), false, [](MatrixCell&) { return true; },
       [](MatrixCell& cell) {
         int32_t r = -1;
         int32_t opt = 0;
         std::string data;
         cell.Fp().GetData(kDataZReport, &opt, &data, &r);
         return r;
       },
       plain, nullptr},
      // Silent printer: the line, then the subtotal that would tell its fate.
      {"receipt line", "P03", kCommand, Silent({kCommand, kCommand}), true,
       [](MatrixCell& cell) { return Begin(cell) == 0; }, [](MatrixCell& cell) { return Item(cell); }, learnt,
       openUnlessCancelled},
      // Silent printer: the state asked first, then nothing more.
      {"payment", "P09", kCommand, Silent({kStatus}), true,
       [](MatrixCell& cell) { return Begin(cell) == 0 && Item(cell) == 0; },
       [](MatrixCell& cell) { return Total(cell); }, learnt, openUnlessCancelled},
      {"close", "P12", kClose, Silent({kStatus}), true,
       [](MatrixCell& cell) { return Begin(cell) == 0 && Item(cell) == 0 && Total(cell) == 0; },
       [](MatrixCell& cell) { return End(cell); }, learnt,
       [](Outcome o) {
         return o == Outcome::kNoReply || o == Outcome::kOff || o == Outcome::kCover || o == Outcome::kPaperOut;
       }},
      {"X report", "P15", 10, Silent({1, 1, 10}), false, [](MatrixCell&) { return true; },
       [](MatrixCell& cell) {
         int32_t r = -1;
         cell.Fp().PrintXReport(&r);
         return r;
       },
       plain, nullptr},
      // The close succeeded; a transfer that breaks off is made up by the
      // next download, so the method reports success.
      {"journal transfer", "S04", 1, Silent({1, 1, 5, 1, 1}), true,
       [](MatrixCell& cell) { return Begin(cell) == 0 && Item(cell) == 0 && Total(cell) == 0; },
       [](MatrixCell& cell) { return End(cell); }, [](Outcome) { return Expected{}; }, [](Outcome) { return false; },
       false},
      // A check that the printer refuses fetches the whole journal again and
      // checks once more. A check it does not answer, or answers unreadably
      // or busy, may have been accepted: the download ends with that, and the
      // files wait for the next one, which learns where the printer stands.
      {"journal download", "S10", 4, Silent({kStatus, kCommand, kStatus, kCommand}), false,
       [](MatrixCell& cell) { return SellOne(cell); }, [](MatrixCell& cell) { return Download(cell, "cell"); },
       [](Outcome o) {
         const bool unanswered = o == Outcome::kOff || o == Outcome::kNoReply || o == Outcome::kLongTimeout ||
                                 o == Outcome::kInvalid || o == Outcome::kBusy;
         return unanswered ? FromExchange(o) : Expected{};
       },
       nullptr},
  };
}

struct Row {
  std::string fault;
  int32_t result = 0;
  int32_t extended = 0;
  std::string text;
  std::string after;
  bool journalOk = false;
  bool refetched = false;
  double waited = 0;
  int carriedOut = 0;  // requests of the aimed command the printer carried out in the call
};

// The protocol's bound on the waiting of one cell, in seconds.
double Bound(const CommandClass& c, const LineFault& f) {
  const double slack = 2.0;  // replies that come take a poll or two each
  const std::string line = f.line != nullptr ? f.line : "";
  if (f.line == nullptr) return c.worstSeconds + slack;
  // A reply on a repeat: the next command of the call first listens for the
  // answer to the unanswered send, at most its own time-out (never longer
  // than the aimed command's here).
  if (line.rfind("noreply 1", 0) == 0) return 2.0 * c.timeout + slack;
  if (line.rfind("noreply 2", 0) == 0) return 3.0 * c.timeout + slack;
  // A receipt command left without a readable reply is followed by the
  // question that tells its fate, which first hears the line out for at most
  // its own time-out (never longer than the aimed command's here).
  const double fate = c.receipt ? c.timeout : 0.0;
  if (line.rfind("noreply 3", 0) == 0) return 3.0 * c.timeout + fate + slack;
  if (line.rfind("badcrc 3", 0) == 0) return fate + slack;
  // The late reply ends the second attempt.
  if (line.find("late") != std::string::npos) return 2.0 * c.timeout + slack;
  // 120 polls a second apart per attempt, each poll with 2 s to answer.
  if (line.rfind("long 400", 0) == 0) return 3.0 * 120 * (1 + 2) + slack;
  if (line.rfind("long 3", 0) == 0) return 4.0 + slack;
  return slack;
}

// A late reply comes half-way through the second attempt: the cell's reply
// waits take a tenth of their nominal time (MatrixCell), and the printer's
// delay is real time.
int LateMs(const CommandClass& c) { return c.timeout * 1000 * 3 / 2 / 10; }

std::string Aimed(const LineFault& f, const CommandClass& c) {
  std::string line = f.line;
  std::size_t at = line.find("%d");
  if (at != std::string::npos) line.replace(at, 2, std::to_string(LateMs(c)));
  at = line.find("%s");
  if (at != std::string::npos) line.replace(at, 2, c.command);
  return line;
}

// The printer the matrix runs against: how it numbers and whether it echoes.
struct PrinterMode {
  const char* name;
  std::vector<std::string> setUp;  // control lines before it serves
};
const PrinterMode kLenient{"lenient, echoing", {}};
const PrinterMode kStrictNoEcho{"strict, not echoing", {"strict on", "echo off"}};
const PrinterMode kStrictEcho{"strict, echoing", {"strict on"}};
const PrinterMode kLenientNoEcho{"lenient, not echoing", {"echo off"}};

std::string Describe(MatrixCell& cell, const CommandClass& c) {
  if (!c.receipt) return "idle";
  return cell.PrinterReceiptOpen() ? "receipt open" : "receipt closed";
}

// Runs one cell; fills the row and checks it against the expectation.
void RunCell(const CommandClass& c, const LineFault& f, const PrinterMode& mode, Row& row) {
  SCOPED_TRACE(std::string(c.name) + " / " + f.name + " / " + mode.name);
  row.fault = f.name;
  if (f.needsCommandPacket && c.command == std::string("S04")) {
    row.after = "n/a";  // S04 is no command packet
    row.journalOk = true;
    return;
  }
  if (f.line == nullptr && !c.offAimable) {
    row.after = "n/a";  // off would hit the close, not the transfer
    row.journalOk = true;
    return;
  }
  MatrixCell cell(mode.setUp);
  if (!cell.Started() || !c.setUp(cell)) {
    ADD_FAILURE() << "set-up failed";
    return;
  }

  if (f.line == nullptr) {
    ASSERT_EQ(cell.Inject("off"), "ok");
  } else if (*f.line != '\0') {
    const std::string lines = Aimed(f, c);
    for (std::size_t from = 0, to = 0; from <= lines.size(); from = to + 1) {
      to = lines.find(';', from);
      if (to == std::string::npos) to = lines.size();
      ASSERT_EQ(cell.Inject(lines.substr(from, to - from)), "ok");
    }
  }
  const int aimedBefore = cell.Requests(c.command);
  const int carriedBefore = cell.CarriedOut(c.command);
  SimulatedTime::Reset();
  const int32_t returned = c.call(cell);
  row.waited = SimulatedTime::Seconds();
  row.carriedOut = cell.CarriedOut(c.command) - carriedBefore;
  row.result = cell.Number(opos::pidx::kResultCode);
  row.extended = cell.Number(opos::pidx::kResultCodeExtended);
  row.text = cell.ErrorString();
  if (f.line == nullptr) {
    ASSERT_EQ(cell.Inject("on"), "ok");
  }
  row.after = Describe(cell, c);

  const Expected expected = c.expect(f.outcome);
  EXPECT_EQ(row.result, expected.result);
  EXPECT_EQ(row.extended, expected.extended);
  EXPECT_EQ(returned, expected.extended != 0 ? expected.extended : expected.result);
  EXPECT_EQ(row.text, expected.text);
  EXPECT_LE(row.waited, Bound(c, f));
  EXPECT_LE(row.waited, c.worstSeconds + 3.0 * 120 * (1 + 2));
  if (f.line != nullptr && *f.line != '\0') {
    EXPECT_GT(cell.Requests(c.command), aimedBefore) << "the fault never met its command";
    EXPECT_EQ(cell.Inject("clear"), "ok");
  }
  if (c.receiptOpenAfter) {
    EXPECT_EQ(cell.PrinterReceiptOpen(), c.receiptOpenAfter(f.outcome));
  }
  // Whatever the line still carries, the next question gets its own answer
  // (or none while a slow printer is still busy with a repeat).
  int asked = kTimeout;
  for (int i = 0; i < 5 && asked == kTimeout; ++i) {
    char digit[8] = {};
    asked = Messaging::Instance().GetFiscalState(3, digit, sizeof digit);
    if (asked == kSuccess) {
      EXPECT_EQ(std::atoi(digit), cell.PrinterStateDigit()) << "the state of another reply";
    }
  }
  EXPECT_EQ(asked, kSuccess) << "the state request";

  // The next operations proceed: the open receipt is finished (or a new one
  // sold), and downloads save exactly what the printer journalled.
  std::vector<std::string> saved;
  if (returned == kSuccess && c.command == std::string("S10")) saved.push_back("cell");
  if (c.receipt) {
    FinishReceipt(cell);
  } else if (c.command == std::string("S10")) {
    EXPECT_EQ(Download(cell, "again"), 0) << "the same call once the line is sound";
    saved.push_back("again");
  } else {
    EXPECT_EQ(c.call(cell), 0) << "the same call once the line is sound";
  }
  SellOne(cell);
  EXPECT_EQ(Download(cell, "after"), 0) << Tools::Cp1250ToUtf8(cell.ErrorString());
  saved.push_back("after");
  EXPECT_FALSE(cell.TmpExists(JournalFile::kTmpText));
  EXPECT_FALSE(cell.TmpExists(JournalFile::kTmpBinary));
  // A check the printer refused fetches the whole journal again from its
  // start: from that file on the files hold all of it, the ones before a
  // part again. So some run of the last files must be the whole journal.
  for (std::size_t first = 0; first < saved.size() && !row.journalOk; ++first) {
    std::string text;
    std::string binary;
    for (std::size_t i = first; i < saved.size(); ++i) {
      text += ReadWholeFile(cell.Target(saved[i]) + ".txt");
      binary += ReadWholeFile(cell.Target(saved[i]) + ".bin");
    }
    row.journalOk = !text.empty() && text == cell.PrinterJournal(1) && binary == cell.PrinterJournal(2);
    row.refetched = row.journalOk && first > 0;
  }
  EXPECT_TRUE(row.journalOk) << "printer journal " << cell.PrinterJournal(1).size() << "+"
                             << cell.PrinterJournal(2).size() << " bytes";
}

// Pads UTF-8 text to a width in characters, not bytes.
std::string Padded(const std::string& utf8, std::size_t width) {
  std::size_t chars = 0;
  for (char ch : utf8) chars += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
  return utf8 + std::string(chars < width ? width - chars : 0, ' ');
}

void PrintRows(const CommandClass& c, const PrinterMode& mode, const std::vector<Row>& rows) {
  std::printf("\nprinter: %s\n%-17s| %-16s| %6s | %8s | %-36s| %-15s| %-7s| %s\n", mode.name, "class", "fault",
              "result", "extended", "error text", "state after", "journal", "simulated wait");
  for (const Row& row : rows) {
    std::printf("%-17s| %-16s| %6d | %8d | %s| %-15s| %-7s| %.1f s\n", c.name, row.fault.c_str(), row.result,
                row.extended, Padded(Tools::Cp1250ToUtf8(row.text), 36).c_str(), row.after.c_str(),
                row.refetched   ? "whole"
                : row.journalOk ? "ok"
                                : "BAD",
                row.waited);
  }
  std::fflush(stdout);
}

void RunClass(const char* name, const PrinterMode& mode = kLenient, bool lateOnly = false) {
  for (const CommandClass& c : Classes()) {
    if (std::string(c.name) != name) continue;
    std::vector<Row> rows;
    for (const LineFault& f : kFaults) {
      const std::string fault = f.name;
      if (lateOnly && fault != "none" && fault != "late reply") continue;
      rows.emplace_back();
      RunCell(c, f, mode, rows.back());
      // A reply that came late still stands for one command carried out.
      if (fault == "late reply") {
        EXPECT_EQ(rows.back().carriedOut, rows.front().carriedOut) << c.name << " / " << mode.name;
      }
    }
    PrintRows(c, mode, rows);
    return;
  }
  FAIL() << "no class " << name;
}

TEST(FaultMatrix, StatusQuery) { RunClass("status query"); }
TEST(FaultMatrix, ReceiptLine) { RunClass("receipt line"); }
TEST(FaultMatrix, Payment) { RunClass("payment"); }
TEST(FaultMatrix, Close) { RunClass("close"); }
TEST(FaultMatrix, XReport) { RunClass("X report"); }
TEST(FaultMatrix, JournalTransfer) { RunClass("journal transfer"); }
TEST(FaultMatrix, JournalDownload) { RunClass("journal download"); }

// The whole matrix again with a printer that numbers strictly (a repeat is
// known by its digit alone) and whose replies do not echo the command code.
TEST(FaultMatrixStrictNoEcho, StatusQuery) { RunClass("status query", kStrictNoEcho); }
TEST(FaultMatrixStrictNoEcho, ReceiptLine) { RunClass("receipt line", kStrictNoEcho); }
TEST(FaultMatrixStrictNoEcho, Payment) { RunClass("payment", kStrictNoEcho); }
TEST(FaultMatrixStrictNoEcho, Close) { RunClass("close", kStrictNoEcho); }
TEST(FaultMatrixStrictNoEcho, XReport) { RunClass("X report", kStrictNoEcho); }
TEST(FaultMatrixStrictNoEcho, JournalTransfer) { RunClass("journal transfer", kStrictNoEcho); }
TEST(FaultMatrixStrictNoEcho, JournalDownload) { RunClass("journal download", kStrictNoEcho); }

// Late replies against the two other printers.
TEST(FaultMatrixLate, StrictEchoing) {
  for (const CommandClass& c : Classes()) RunClass(c.name, kStrictEcho, true);
}
TEST(FaultMatrixLate, LenientNotEchoing) {
  for (const CommandClass& c : Classes()) RunClass(c.name, kLenientNoEcho, true);
}

}  // namespace
}  // namespace kestrel::testing
