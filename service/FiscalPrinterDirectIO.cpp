// The health check and DirectIO, the application's way to the printer's
// service and fiscalisation functions that no interface method covers.
#include <cstring>
#include <string>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/PrinterJournal.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

constexpr int32_t kCheckInternal = 1;  // OPOS_CH_INTERNAL
constexpr int32_t kCheckExternal = 2;  // OPOS_CH_EXTERNAL
constexpr std::size_t kParamPartChars = 10;
constexpr std::size_t kFiscalDataChars = 100;
constexpr std::size_t kLogoReplyChars = 4;
constexpr int32_t kLogoQuery = 2;

// A bar code for the mechanism: height 80 dots, module width 3, digits
// below in font B, centred; then EAN-13 with explicit length; then left
// alignment again.
constexpr char kBarCodeStart[] = "1D68501D77031D48321D66311B61311D6B43";
constexpr char kBarCodeEnd[] = "1B6130";

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0x0F];
  }
  return hex;
}

// Fiscal data items travel as two digits.
bool IsFiscalItem(int32_t item) { return item >= 0 && item <= 99; }

// What one DirectIO command reports, and the error text it sets (null: the
// text stays as it was).
struct Outcome {
  int32_t code;
  const char* text;
};

constexpr Outcome kBadValue{kIllegal, text::kTextBadValue};
constexpr Outcome kMissing{kIllegal, nullptr};

Outcome Done(int32_t code) { return Outcome{code, nullptr}; }

Outcome PrintBarCode(const int32_t* data, const std::string& text) {
  if (data == nullptr || *data == 0) {
    // The digits of an EAN-13 code, with or without its check digit.
    if (text.size() != 12 && text.size() != 13) return kBadValue;
    const std::string length = Hex(std::string(1, static_cast<char>(text.size())));
    const std::string sequence = kBarCodeStart + length + Hex(text) + kBarCodeEnd;
    return Done(Messaging::Instance().SetPrinter(sequence.c_str()));
  }
  // A sequence of the application's own, which must print a bar code.
  if (text.find("1D6B") == std::string::npos && text.find("1d6b") == std::string::npos) return kBadValue;
  return Done(Messaging::Instance().SetPrinter(text.c_str()));
}

Outcome WriteFiscalParameter(int32_t item, const std::string& text) {
  if (!IsFiscalItem(item)) return kBadValue;
  const std::size_t bar = text.find('|');
  if (bar == std::string::npos) return Done(Messaging::Instance().SetFiscalParams(item, text.c_str(), nullptr));
  const std::string first = text.substr(0, bar).substr(0, kParamPartChars);
  const std::string second = text.substr(bar + 1).substr(0, kParamPartChars);
  return Done(Messaging::Instance().SetFiscalParams(item, first.c_str(), second.c_str()));
}

Outcome ReadFiscalParameter(int32_t item, std::string& text) {
  if (!IsFiscalItem(item)) return kBadValue;
  char buffer[kFiscalDataChars + 1] = {};
  const int32_t code = Messaging::Instance().ReadFiscalData(item, buffer, static_cast<int>(sizeof buffer));
  if (code == kSuccess) text = buffer;
  return Done(code);
}

Outcome Logo(const int32_t* data, std::string* text) {
  if (data == nullptr && text == nullptr) return kBadValue;
  const int32_t operation = data != nullptr ? *data : 0;
  // The reply lands in a buffer of our own; the application gets it only
  // when it gave a string to receive it.
  char reply[kLogoReplyChars + 1] = {};
  const int32_t code = Messaging::Instance().PrinterLogo(operation, text != nullptr ? text->c_str() : nullptr, reply);
  if (code == kSuccess && operation == kLogoQuery && text != nullptr) *text = reply;
  return Done(code);
}

// The day's bookkeeping follows the cleared operating memory even when the
// printer refuses the clear.
Outcome ClearOperatingMemory() {
  const int32_t code = Messaging::Instance().ClearOperatingMemory();
  Journal::Instance().UpdateEOD("", false);
  Journal::Instance().ResetReceiptNumber();
  return Done(code);
}

}  // namespace

int32_t FiscalPrinter::CheckHealth(int32_t level, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::CheckHealth", result);
  Log::Instance().Write("FiscalPrinter::CheckHealth", "%d", level);
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  Messaging& messaging = Messaging::Instance();
  int32_t code = kSuccess;
  if (level == kCheckInternal) {
    code = messaging.GetPrinterStatus(currentStation_);
    if (code == kReceiptPaperNearEnd) code = kSuccess;  // still prints
    checkHealthText_ = code == kSuccess ? "Internal Test: OK." : "Internal Test: Failed.";
  } else if (level == kCheckExternal) {
    code = messaging.TestFM();
    checkHealthText_ = code == kSuccess ? "External Test: OK." : "External Test: Failed.";
  }
  return Finish(code, result, nullptr, true);
}

int32_t FiscalPrinter::DirectIO(int32_t command, int32_t* data, std::string* text, int32_t* result) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::DirectIO", result);
  Log::Instance().Write("FiscalPrinter::DirectIO", "%ld", static_cast<long>(command));
  if (!CheckDevice()) return Finish(kKeepRecordedResult, result, nullptr, false);

  Messaging& messaging = Messaging::Instance();
  const bool hasData = data != nullptr;
  const bool hasText = text != nullptr;
  Outcome outcome{kIllegal, text::kTextBadCommand};
  switch (command & 0xFF) {
    case 35:
      outcome = Done(messaging.ItemImmVoid());
      break;
    case 44:
      outcome = hasData ? Done(messaging.TicketCopy(*data)) : kBadValue;
      break;
    case 86:
      outcome = Done(messaging.ConfirmService());
      break;
    case 87:
      outcome = Done(messaging.ConfirmMemNearFull());
      break;
    case 128:
      outcome = ClearOperatingMemory();
      break;
    case 130:
      outcome = Done(messaging.ClearServiceInterval());
      break;
    case 131:
      outcome = Done(messaging.ClearFiscalModule());
      break;
    case 132:
      outcome = hasData ? Done(messaging.PrintEnabled(*data != 0)) : kMissing;
      break;
    case 133:
      outcome = hasData && hasText ? WriteFiscalParameter(*data, *text) : kMissing;
      break;
    case 134:
      outcome = hasData ? Done(messaging.Fiscalize(*data)) : kMissing;
      break;
    case 135:
      outcome = hasData && hasText ? ReadFiscalParameter(*data, *text) : kMissing;
      break;
    case 144:
      if (!hasData) {
        outcome = kBadValue;
        break;
      }
      displayItemDisabled_ = *data == 0;
      outcome = Done(kSuccess);
      break;
    case 145:
      outcome = Done(messaging.CutPaper());
      break;
    case 146:
      outcome = hasText ? PrintBarCode(data, *text) : kMissing;
      break;
    case 147:
      outcome = Logo(data, text);
      break;
    case 150:
      outcome = Done(messaging.PrintJournal());
      break;
    case 151:
      outcome = hasText ? Done(DownloadJournal(messaging, text->c_str())) : kBadValue;
      break;
    case 152:
      if (!hasData || !hasText) {
        outcome = kMissing;
        break;
      }
      // 0 keeps the id for the next receipt, 1 reads it back, anything
      // else asks the printer whether it knows a receipt with it.
      if (*data == 0) {
        StoreReceiptId(text->c_str());
      } else if (*data == 1) {
        *text = ReceiptId();
      } else {
        *text = messaging.ReceiptIdExists(ReceiptId()) ? "1" : "0";
      }
      outcome = Done(kSuccess);
      break;
    default:
      break;
  }
  return Finish(outcome.code, result, outcome.text, true);
}

}  // namespace kestrel
