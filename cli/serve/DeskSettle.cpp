// Settling the ids that a crash (or a silent printer) left under way: the
// printer tells what became of them before anything else is printed.
#include <random>

#include "cli/Amounts.h"
#include "cli/CancelOpen.h"
#include "cli/serve/Desk.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"

namespace kestrel::serve {
namespace {

constexpr int32_t kDirectIOReceiptId = 152;
// The printer answers whether it knows a receipt identifier from firmware
// 2.x.22 (or major version 3) on.
constexpr int kReceiptIdMajor = 3;
constexpr int kReceiptIdMinor = 22;

std::string RandomDigits() {
  std::random_device device;
  std::uniform_int_distribution<int> digit(0, 9);
  std::string digits;
  for (int i = 0; i < 16; ++i) digits += static_cast<char>('0' + digit(device));
  return digits;
}

// "2.5.23" -> 2 and 23; false for fewer than three parts.
bool FirmwareVersion(const std::string& text, int& major, int& minor) {
  const std::size_t first = text.find('.');
  const std::size_t second = first == std::string::npos ? first : text.find('.', first + 1);
  if (second == std::string::npos) return false;
  major = std::atoi(text.c_str());
  minor = std::atoi(text.c_str() + second + 1);
  return true;
}

Json Unknown(const IdRecord& record, const std::string& what) {
  return Json{{"ok", false},
              {"id", record.id},
              {"outcome", "unknown"},
              {"error", Json{{"text",
                              "the server stopped while this request was under way, and the printer "
                              "cannot tell whether it was printed"},
                             {"step", record.step}}},
              {"check", what + " The server never prints this id again."}};
}

}  // namespace

Desk::Known Desk::AskReceiptId(const std::string& printerId) {
  // A printer that takes the old protocol cannot be asked, and the service
  // then answers "not known" without asking.
  if (options_.v7Protocol) return Known::kCannotTell;
  std::string firmware;
  if (!session_.Data(opos::gd::kFirmware, firmware)) return Known::kSilent;
  int major = 0;
  int minor = 0;
  if (!FirmwareVersion(firmware, major, minor) || (major < kReceiptIdMajor && minor < kReceiptIdMinor)) {
    return Known::kCannotTell;
  }
  // Receipts printed in training mode are not kept with their identifier.
  if (session_.Number(opos::pidx::kTrainingModeActive) != 0) return Known::kCannotTell;

  FiscalPrinter& printer = session_.Printer();
  const auto ask = [&](const std::string& id) {
    int32_t result = 0;
    int32_t data = 0;
    std::string text = id;
    printer.DirectIO(kDirectIOReceiptId, &data, &text, &result);
    data = 2;
    text.clear();
    printer.DirectIO(kDirectIOReceiptId, &data, &text, &result);
    return text == "1";
  };
  // The answer reads "known" also when the question never reached the
  // printer. An identifier nobody ever used must read "not known", or the
  // answers cannot be trusted; and "known" must come twice.
  std::string canary = RandomDigits();
  if (canary == printerId) canary[0] = canary[0] == '9' ? '8' : '9';
  Known known = Known::kYes;
  if (ask(canary)) {
    known = session_.Number(opos::pidx::kPowerState) == opos::kPowerOnline ? Known::kCannotTell : Known::kSilent;
  } else if (!ask(printerId) || !ask(printerId)) {
    known = Known::kNo;
  }
  int32_t result = 0;
  int32_t data = 0;
  std::string empty;
  printer.DirectIO(kDirectIOReceiptId, &data, &empty, &result);
  return known;
}

bool Desk::SettleReceipt(IdRecord& record, std::string& why) {
  const Json done = record.facts.contains("done") ? record.facts["done"] : Json();
  const auto printed = [&](const Json& progress) {
    Json answer = done.is_object() ? done : ReceiptAnswer(record.id, progress);
    Settled(record, IdState::kPrinted, 200, answer);
    return true;
  };
  FiscalPrinter& printer = session_.Printer();
  int32_t result = 0;
  int32_t state = session_.Number(opos::pidx::kPrinterState);
  if (state == 2 || state == 3) {
    const int32_t code = printer.PrintRecVoid("", &result);
    session_.Note(code);
    if (code != kSuccess) {
      why = "an unpaid receipt is open and could not be voided (" + session_.Outcome(code).text + ")";
      return false;
    }
    Settled(record, IdState::kFailed, 422,
            Json{{"ok", false},
                 {"id", record.id},
                 {"outcome", "failed"},
                 {"cancelled", true},
                 {"error", Json{{"text",
                                 "the receipt was open and unpaid when the server stopped; it was voided. "
                                 "Send the same request again to print it."},
                                {"step", record.step}}}});
    return true;
  }
  if (state == 4) {
    // Paid in full: closing it completes the sale the customer paid for.
    std::string number;
    std::string total;
    Json progress = record.facts.contains("progress") ? record.facts["progress"] : Json::object();
    if (session_.Data(opos::gd::kReceiptNumber, number) && !number.empty()) {
      progress["receiptNumber"] = std::stoll("0" + number);
    }
    int64_t totalUnits = 0;
    if (!progress.contains("total") && session_.Data(opos::gd::kCurrentTotal, total) &&
        cli::ParseDecimal(total, cli::kMaxAmountUnits, totalUnits)) {
      const int64_t paid = record.facts.value("paid", int64_t{0});
      progress["total"] = AmountJson(totalUnits);
      progress["change"] = AmountJson(paid > totalUnits ? paid - totalUnits : 0);
    }
    const int32_t code = printer.EndFiscalReceipt(false, &result);
    session_.Note(code);
    if (code != kSuccess) {
      why = "a paid receipt is open and could not be closed (" + session_.Outcome(code).text + ")";
      return false;
    }
    return printed(progress);
  }
  if (state != 1) {
    const cli::CancelOutcome cancel = cli::CancelOpenWork(printer);
    if (cancel.what == cli::OpenWork::kFailed) {
      why = cancel.message + " (" + cancel.errorText + ")";
      return false;
    }
  }
  switch (AskReceiptId(record.printerId)) {
    case Known::kYes:
      return printed(record.facts.contains("progress") ? record.facts["progress"] : Json::object());
    case Known::kNo:
      Settled(record, IdState::kFailed, 422,
              Json{{"ok", false},
                   {"id", record.id},
                   {"outcome", "failed"},
                   {"error", Json{{"text",
                                   "the printer holds no receipt of this request: it never reached the "
                                   "printer or was cancelled there. Send the same request again to print it."},
                                  {"step", record.step}}}});
      return true;
    case Known::kCannotTell:
      Settled(record, IdState::kUnknown, 502,
              Unknown(record,
                      "Look at the printer's paper or journal for a receipt of this sale printed around the "
                      "time it was sent: if there is one, the sale is done; if not, send it with a new id."));
      return true;
    case Known::kSilent:
      break;
  }
  why = "the printer does not answer";
  return false;
}

bool Desk::SettleCash(IdRecord& record, std::string& why) {
  if (record.facts.value("mode", std::string()) == "ticket") return SettleReceipt(record, why);
  if (record.step == "recorded") {
    // Stopped before the cash document was sent: nothing was printed.
    Settled(record, IdState::kFailed, 422,
            Json{{"ok", false},
                 {"id", record.id},
                 {"outcome", "failed"},
                 {"error", Json{{"text",
                                 "the server stopped before the cash document was sent; nothing was "
                                 "printed. Send the same request again to print it."},
                                {"step", record.step}}}});
    return true;
  }
  if (session_.Number(opos::pidx::kPowerState) != opos::kPowerOnline) {
    why = "the printer does not answer";
    return false;
  }
  Settled(record, IdState::kUnknown, 502,
          Unknown(record,
                  "Look at the paper for a cash document (\"Príjem hotovosti\" or \"Výdaj hotovosti\") "
                  "printed around the time it was sent, and count the drawer."));
  return true;
}

bool Desk::SettleZReport(IdRecord& record, std::string& why) {
  std::string now;
  if (!session_.Data(opos::gd::kZReport, now)) {
    why = "the printer does not answer";
    return false;
  }
  const std::string before = record.facts.value("zBefore", std::string());
  if (now != before) {
    Settled(record, IdState::kPrinted, 200, Json{{"ok", true}, {"id", record.id}, {"closureNumber", now}});
  } else {
    Settled(record, IdState::kFailed, 422,
            Json{{"ok", false},
                 {"id", record.id},
                 {"outcome", "failed"},
                 {"error", Json{{"text", "the server stopped before the day was closed; send the request again"},
                                {"step", record.step}}}});
  }
  return true;
}

}  // namespace kestrel::serve
