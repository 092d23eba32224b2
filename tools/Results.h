#pragma once
// The closed set of result numbers used throughout the service.
#include <cstddef>

namespace kestrel {

constexpr int kSuccess = 0;
constexpr int kClosed = 101;      // OPOS_E_CLOSED
constexpr int kNotClaimed = 103;  // OPOS_E_NOTCLAIMED
constexpr int kDisabled = 105;    // OPOS_E_DISABLED
constexpr int kIllegal = 106;     // OPOS_E_ILLEGAL
constexpr int kFailure = 111;     // OPOS_E_FAILURE
constexpr int kTimeout = 112;     // OPOS_E_TIMEOUT
constexpr int kBusy = 113;        // OPOS_E_BUSY
constexpr int kExtended = 114;    // OPOS_E_EXTENDED

// Given to the service's result recording instead of a result: keep what an
// earlier step recorded (its log line shows it as -1).
constexpr int kKeepRecordedResult = -1;

// Extended codes (UnifiedPOS fiscal printer codes and the printer's own).
constexpr int kCoverOpen = 201;            // OPOS_EFPTR_COVER_OPEN
constexpr int kJournalEmpty = 202;         // OPOS_EFPTR_JRN_EMPTY
constexpr int kReceiptEmpty = 203;         // OPOS_EFPTR_REC_EMPTY
constexpr int kSlipEmpty = 204;            // OPOS_EFPTR_SLP_EMPTY
constexpr int kSlipForm = 205;             // OPOS_EFPTR_SLP_FORM
constexpr int kWrongState = 207;           // OPOS_EFPTR_WRONG_STATE
constexpr int kTechnicalAssistance = 208;  // OPOS_EFPTR_TECHNICAL_ASSISTANCE
constexpr int kFiscalMemoryFull = 210;     // OPOS_EFPTR_FISCAL_MEMORY_FULL
constexpr int kFiscalTotalsError = 212;    // OPOS_EFPTR_FISCAL_TOTALS_ERROR
constexpr int kBadItemAmount = 214;        // OPOS_EFPTR_BAD_ITEM_AMOUNT
constexpr int kBadItemDescription = 215;   // OPOS_EFPTR_BAD_ITEM_DESCRIPTION
constexpr int kBadDate = 219;              // OPOS_EFPTR_BAD_DATE
constexpr int kDayEndRequired = 224;       // OPOS_EFPTR_DAY_END_REQUIRED
constexpr int kJournalDownloadRequired = 302;
constexpr int kFiscalMemoryNearlyFull = 303;
constexpr int kCallService = 304;
constexpr int kReceiptPaperNearEnd = 305;

// Every number above with its UnifiedPOS name (empty for the printer's own
// 302 to 305) and what it means, in ascending order.
struct ResultName {
  int code;
  const char* name;
  const char* meaning;
};
const ResultName* ResultNameTable(std::size_t* count);

}  // namespace kestrel
