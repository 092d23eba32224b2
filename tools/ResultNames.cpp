#include "tools/Results.h"

namespace kestrel {
namespace {

constexpr ResultName kNames[] = {
    {kSuccess, "OPOS_SUCCESS", "done"},
    {kClosed, "OPOS_E_CLOSED", "the service is not open"},
    {kNotClaimed, "OPOS_E_NOTCLAIMED", "the device is not claimed, or its port could not be opened"},
    {kDisabled, "OPOS_E_DISABLED", "the device is not enabled"},
    {kIllegal, "OPOS_E_ILLEGAL", "not supported, or a value out of range"},
    {kFailure, "OPOS_E_FAILURE", "the printer refused or the exchange failed"},
    {kTimeout, "OPOS_E_TIMEOUT", "the printer does not answer"},
    {kBusy, "OPOS_E_BUSY", "the printer or the service is busy with another call"},
    {kExtended, "OPOS_E_EXTENDED", "see ResultCodeExtended"},
    {kCoverOpen, "OPOS_EFPTR_COVER_OPEN", "the printer's cover is open"},
    {kJournalEmpty, "OPOS_EFPTR_JRN_EMPTY", "no more journal data"},
    {kReceiptEmpty, "OPOS_EFPTR_REC_EMPTY", "the receipt paper is out"},
    {kSlipEmpty, "OPOS_EFPTR_SLP_EMPTY", "no slip inserted"},
    {kSlipForm, "OPOS_EFPTR_SLP_FORM", "a slip is inserted"},
    {kWrongState, "OPOS_EFPTR_WRONG_STATE", "the printer is not in the state the method needs"},
    {kTechnicalAssistance, "OPOS_EFPTR_TECHNICAL_ASSISTANCE", "the printer needs a technician"},
    {kFiscalMemoryFull, "OPOS_EFPTR_FISCAL_MEMORY_FULL", "the fiscal memory is full"},
    {kFiscalTotalsError, "OPOS_EFPTR_FISCAL_TOTALS_ERROR", "an amount is still to be paid"},
    {kBadItemAmount, "OPOS_EFPTR_BAD_ITEM_AMOUNT", "an amount is out of range, or the void or discount is not allowed"},
    {kBadItemDescription, "OPOS_EFPTR_BAD_ITEM_DESCRIPTION",
     "a payment type or VAT rate that is not in the form the printer takes"},
    {kBadDate, "OPOS_EFPTR_BAD_DATE", "the date or time is not valid"},
    {kDayEndRequired, "OPOS_EFPTR_DAY_END_REQUIRED", "the day must be closed (Z report) first"},
    {kJournalDownloadRequired, "", "the electronic journal must be downloaded"},
    {kFiscalMemoryNearlyFull, "", "the fiscal memory is nearly full"},
    {kCallService, "", "the service organisation must be called"},
    {kReceiptPaperNearEnd, "", "the receipt paper is near its end"},
};

}  // namespace

const ResultName* ResultNameTable(std::size_t* count) {
  *count = sizeof kNames / sizeof kNames[0];
  return kNames;
}

}  // namespace kestrel
