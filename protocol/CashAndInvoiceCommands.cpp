// Self-contained money documents: cash into or out of the drawer, and the
// simple invoice or credit note.
#include <algorithm>
#include <cstdio>
#include <string>

#include "log/Log.h"
#include "protocol/AmountText.h"
#include "protocol/Messaging.h"
#include "protocol/ReplyTimeouts.h"
#include "tools/Results.h"
#include "tools/Texts.h"
#include "tools/Tools.h"

namespace kestrel {
namespace {

constexpr int kDocumentTimeout = reply_timeout::kCommand;
constexpr int kTrailerFieldChars = 160;
constexpr int kCaptionFieldChars = 40;
constexpr std::size_t kInvoiceCaptionChars = 100;

// "Faktúra č.%s" and its kin filled with the document number.
std::string FillCaption(const char* pattern, const std::string& number) {
  std::string caption(pattern);
  const std::size_t slot = caption.find("%s");
  if (slot != std::string::npos) caption.replace(slot, 2, number);
  return caption;
}

}  // namespace

int Messaging::Cash(long long amount, bool singleCashReceipt, DocumentTexts& texts) {
  Log::Instance().Write("Messaging::Cash", "%lld", amount);
  const bool withdrawal = amount < 0;

  CreatePacketOut("P14", kPacketTypeCommand);
  AddPacketOutField(CurrencyText(amount).c_str());
  if (!singleCashReceipt) {
    char label[64];
    std::snprintf(label, sizeof(label), "%-20s", withdrawal ? text::kTextCashOut : text::kTextCashIn);
    AddPacketOutField(label);
  } else {
    const char* caption = withdrawal ? text::kTextCashOutDrawer : text::kTextCashInDrawer;
    AddPacketOutText(Tools::CenterText(caption, kCaptionFieldChars).c_str(), true, kCaptionFieldChars);
    AddPacketOutText(texts.Trailer().c_str(), false, kTrailerFieldChars);
  }
  ClosePacketOut();
  // A cash line changes the ticket's sum by an amount the printer keeps.
  if (!singleCashReceipt) subtotalKnown_ = false;
  return SendReceive(kDocumentTimeout);
}

int Messaging::Invoice(long long amount, const char* text, DocumentTexts& texts) {
  const std::string given = text != nullptr ? text : "";
  Log::Instance().Write("Messaging::Invoice", "%lld; %s", amount, given.c_str());
  const char* pattern = amount < 0 ? text::kTextCreditNoteNumber : text::kTextInvoiceNumber;
  const int major = GetMajorVersion();
  const int minor = GetMinorVersion();

  if (major >= 3 || minor >= 22) {
    // A text with a blank is a complete caption; a bare number gets the label.
    std::string caption = given.find(' ') != std::string::npos ? given : FillCaption(pattern, given);
    caption.resize(std::min(caption.size(), kInvoiceCaptionChars));
    CreatePacketOut("P24", kPacketTypeCommand);
    AddPacketOutField(CurrencyText(amount).c_str());
    AddPacketOutField(caption.c_str());
  } else {
    // Older firmware takes "T|number": the payment type T, then the number.
    std::string type = "1";
    std::string number = given;
    if (given.size() > 2 && given[1] == '|') {
      type = given.substr(0, 1);
      number = given.substr(2);
    }
    std::string caption = FillCaption(pattern, number);
    caption.resize(std::min(caption.size(), kInvoiceCaptionChars));
    CreatePacketOut("P23", kPacketTypeCommand);
    if (major == 2 || minor == 21) AddPacketOutField(type.c_str());
    AddPacketOutField(CurrencyText(amount).c_str());
    AddPacketOutText(Tools::CenterText(caption.c_str(), kCaptionFieldChars).c_str(), true, kCaptionFieldChars);
    AddPacketOutText(texts.Trailer().c_str(), false, kTrailerFieldChars);
  }
  ClosePacketOut();
  subtotalKnown_ = false;
  return SendReceive(kDocumentTimeout);
}

}  // namespace kestrel
