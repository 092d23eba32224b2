#pragma once
// Values that the methods printing into an open fiscal receipt share.
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

}  // namespace kestrel
