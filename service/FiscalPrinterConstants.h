#pragma once
// The OPOS numbers the service object speaks in: property indices it acts
// on by name, State values, error levels and the status update values.
// Property indices that only answer a constant live in the tables of
// FiscalPrinterProperties.cpp.
#include <cstdint>

namespace kestrel::opos {

// State property (kept by Messaging).
constexpr int32_t kStateClosed = 1;  // OPOS_S_CLOSED
constexpr int32_t kStateIdle = 2;    // OPOS_S_IDLE
constexpr int32_t kStateError = 4;   // OPOS_S_ERROR

// ErrorLevel.
constexpr int32_t kErrorLevelNone = 1;         // FPTR_EL_NONE
constexpr int32_t kErrorLevelRecoverable = 2;  // FPTR_EL_RECOVERABLE
constexpr int32_t kErrorLevelBlocked = 4;      // FPTR_EL_BLOCKED

constexpr int32_t kPrinterStateLocked = 8;  // FPTR_PS_LOCKED, ErrorState after opening

// Status update event values.
constexpr int32_t kSueCoverOpen = 11;     // FPTR_SUE_COVER_OPEN
constexpr int32_t kSueRecEmpty = 24;      // FPTR_SUE_REC_EMPTY
constexpr int32_t kSueRecNearEmpty = 25;  // FPTR_SUE_REC_NEAREMPTY
constexpr int32_t kSueRecPaperOk = 26;    // FPTR_SUE_REC_PAPEROK
constexpr int32_t kSueSlpEmpty = 27;      // FPTR_SUE_SLP_EMPTY
constexpr int32_t kSueSlpPaperOk = 29;    // FPTR_SUE_SLP_PAPEROK

// DateType and FiscalReceiptType.
constexpr int32_t kDateTypeConf = 1;              // FPTR_DT_CONF
constexpr int32_t kDateTypeRtc = 4;               // FPTR_DT_RTC
constexpr int32_t kReceiptTypeCashIn = 1;         // FPTR_RT_CASH_IN
constexpr int32_t kReceiptTypeCashOut = 2;        // FPTR_RT_CASH_OUT
constexpr int32_t kReceiptTypeSales = 4;          // FPTR_RT_SALES
constexpr int32_t kReceiptTypeSimpleInvoice = 6;  // FPTR_RT_SIMPLE_INVOICE
constexpr int32_t kReceiptTypeRefund = 7;         // FPTR_RT_REFUND

// AdjustmentType FPTR_AT_AMOUNT_SURCHARGE: the one adjustment that adds.
constexpr int32_t kAdjustmentAmountSurcharge = 2;

// PowerState.
constexpr int32_t kPowerUnknown = 2000;     // OPOS_PS_UNKNOWN: the port is not claimed
constexpr int32_t kPowerOnline = 2001;      // OPOS_PS_ONLINE
constexpr int32_t kPowerOffOffline = 2004;  // OPOS_PS_OFF_OFFLINE

// ServiceObjectVersion: UnifiedPOS 1.12, build 21.
constexpr int32_t kServiceObjectVersion = 1012021;

// GetData items that callers ask by name: UnifiedPOS's, and from 50 on the
// printer's own.
namespace gd {
constexpr int32_t kCurrentTotal = 1;         // FPTR_GD_CURRENT_TOTAL
constexpr int32_t kReceiptNumber = 3;        // FPTR_GD_RECEIPT_NUMBER
constexpr int32_t kZReport = 7;              // FPTR_GD_Z_REPORT: the last closure's number
constexpr int32_t kPrinterId = 9;            // FPTR_GD_PRINTER_ID
constexpr int32_t kFirmware = 10;            // FPTR_GD_FIRMWARE
constexpr int32_t kAmountLeft = 53;          // left to pay after the last payment; negative: change
constexpr int32_t kDayClosureRequired = 55;  // "1" when the day must be closed first
}  // namespace gd

// Property indices the service acts on by name.
namespace pidx {
constexpr int32_t kClaimed = 1;
constexpr int32_t kDeviceEnabled = 3;
constexpr int32_t kFreezeEvents = 4;
constexpr int32_t kResultCode = 6;
constexpr int32_t kResultCodeExtended = 7;
constexpr int32_t kServiceObjectVersion = 8;
constexpr int32_t kState = 9;
constexpr int32_t kPowerState = 14;
constexpr int32_t kDispColumns = 5002;
constexpr int32_t kDispDeviceRows = 5010;
constexpr int32_t kDispRows = 5016;
constexpr int32_t kCoverOpen = 16005;
constexpr int32_t kDayOpened = 16006;
constexpr int32_t kErrorLevel = 16009;
constexpr int32_t kErrorState = 16011;
constexpr int32_t kJrnEmpty = 16014;
constexpr int32_t kPrinterState = 16020;
constexpr int32_t kRecEmpty = 16023;
constexpr int32_t kRecNearEnd = 16024;
constexpr int32_t kSlpEmpty = 16026;
constexpr int32_t kTrainingModeActive = 16029;
constexpr int32_t kDateType = 16032;
constexpr int32_t kFiscalReceiptType = 16034;
constexpr int32_t kCapSlpPresent = 16536;

constexpr int32_t kCheckHealthText = 1000001;
constexpr int32_t kDeviceDescription = 1000002;
constexpr int32_t kDeviceName = 1000003;
constexpr int32_t kServiceObjectDescription = 1000004;
constexpr int32_t kErrorString = 1016001;
constexpr int32_t kAdditionalTrailer = 1016005;
}  // namespace pidx

}  // namespace kestrel::opos
