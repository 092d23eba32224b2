#pragma once
// Rules that every method printing into an open fiscal receipt shares.
#include "protocol/Messaging.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"

namespace kestrel {

// OPOS_EFPTR_BAD_ITEM_DESCRIPTION: a payment type that is not one character.
constexpr int kBadItemDescription = 215;
// FiscalReceiptType values the receipt methods tell apart, beside those of
// service/FiscalPrinterConstants.h.
constexpr int kReceiptTypeCashOut = 2;        // FPTR_RT_CASH_OUT
constexpr int kReceiptTypeSimpleInvoice = 6;  // FPTR_RT_SIMPLE_INVOICE
// AdjustmentType FPTR_AT_AMOUNT_SURCHARGE: the one adjustment that adds.
constexpr int kAdjustmentAmountSurcharge = 2;
constexpr int kOnePiece = 10000;

// After a failed line the receipt is cancelled unless it can still go on:
// with no answer (112) nothing is known, so nothing is sent; with the cover
// open or the paper out the operator can mend the fault and the application
// repeat the call, except with the V7 protocol, where any answered failure
// cancels.
inline void CancelReceiptOnFailure(int failure, bool v7Protocol) {
  if (failure == kSuccess || failure == kTimeout) return;
  if (!v7Protocol && (failure == kCoverOpen || failure == kReceiptEmpty)) return;
  Messaging::Instance().CloseTicket(true);
}

}  // namespace kestrel
