// The property methods: every index the service answers, by OPOS index
// number. Reads never record a result; writes of anything but the four
// writable properties answer 106 "Nepodporované".
#include <cstring>

#include "journal/Journal.h"
#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

struct NumberConstant {
  int32_t index;
  int32_t value;
};

// Constants fixed at construction. Indices that are not listed here nor
// handled in ReadNumber answer 0, as do the properties marked "not
// answered" (JrnEmpty, JrnNearEnd, CapAmountNotPaid, CapChangeDue, 26001,
// 26002).
constexpr NumberConstant kNumberConstants[] = {
    // Common.
    {2, 0},  // DataEventEnabled
    {5, 0},  // OutputID
    {opos::pidx::kServiceObjectVersion, opos::kServiceObjectVersion},
    {10, 0},
    {11, 0},
    {12, 0},
    {13, 0},   // AutoDisable, BinaryConversion, DataCount, PowerNotify
    {501, 1},  // CapPowerReporting: OPOS_PR_STANDARD
    {502, 0},
    {503, 0},
    {504, 0},
    {505, 0},  // statistics and firmware capabilities
    // Cash drawer: DrawerOpened, CapStatus, CapStatusMultiDrawerDetect.
    {1001, 0},
    {1501, 0},
    {1502, 0},
    // Line display.
    {5001, 852},  // CharacterSet
    {opos::pidx::kDispColumns, 20},
    {5003, 0},
    {5004, 0},
    {5005, 0},
    {5006, 0},    // CurrentWindow, CursorColumn, CursorRow, CursorUpdate
    {5007, 100},  // DeviceBrightness
    {5008, 20},   // DeviceColumns
    {5009, 0},
    {5011, 0},
    {5012, 0},
    {5013, 0},
    {5014, 0},
    {5015, 0},
    {5017, 0},
    {5018, 2},  // BlinkRate
    {5019, 0},
    {5020, 7},  // GlyphHeight
    {5021, 5},  // GlyphWidth
    {5022, 0},
    {5023, 0},
    {5024, 0},
    {5025, 0},
    {5501, 0},
    {5502, 0},
    {5503, 997},  // CapCharacterSet
    {5504, 0},
    {5505, 0},
    {5506, 0},
    {5507, 0},
    {5508, 0},
    {5509, 0},
    {5510, 0},
    {5511, 0},
    {5512, 0},
    {5513, 0},
    {5514, 0},
    {5515, 0},
    // Fiscal printer.
    {16001, 2},           // AmountDecimalPlaces
    {16002, 0},           // AsyncMode
    {16003, 0},           // CheckTotal
    {16004, 0x40000000},  // CountryCode: FPTR_CC_OTHER
    {16007, 40},          // DescriptionLength
    {16008, 1},           // DuplicateReceipt
    {16010, 0},           // ErrorOutID
    {16012, 2},           // ErrorStation: receipt
    {16013, 0},           // FlagWhenIdle
    {16016, 4000},        // MessageLength
    {16017, FiscalPrinter::kNumHeaderLines},
    {16018, 0},  // NumTrailerLines
    {16019, FiscalPrinter::kNumVatRates},
    {16021, 4},   // QuantityDecimalPlaces
    {16022, 10},  // QuantityLength
    {16025, 0},   // RemainingFiscalMemory
    {16027, 0},   // SlpNearEnd
    {16028, 1},   // SlipSelection: FPTR_SS_FULL_LENGTH
    {16030, 3},   // ActualCurrency: FPTR_AC_EUR
    {16031, 0},   // ContractorId
    {16033, 1},   // FiscalReceiptStation: FPTR_RS_RECEIPT
    {16035, 24},  // MessageType: FPTR_MT_FREE_TEXT
    {16036, 3},   // TotalizerType: FPTR_TT_RECEIPT
    // Fiscal printer capabilities (1 = true).
    {16501, 1},
    {16502, 1},
    {16504, 0},
    {16505, 1},
    {16506, 0},
    {16507, 1},
    {16508, 0},
    {16509, 1},
    {16510, 0},
    {16511, 0},
    {16512, 0},
    {16513, 0},
    {16514, 0},
    {16515, 1},
    {16516, 0},
    {16517, 0},
    {16518, 0},
    {16519, 0},
    {16520, 1},
    {16521, 0},
    {16522, 1},
    {16523, 1},
    {16524, 1},
    {16525, 0},
    {16526, 0},
    {16527, 1},
    {16528, 0},
    {16529, 0},
    {16530, 0},
    {16531, 1},
    {16532, 1},
    {16533, 0},
    {16534, 0},
    {16535, 0},
    {16537, 0},
    {16538, 1},
    {16539, 0},
    {16540, 1},
    {16541, 1},
    {16542, 0},
    {16543, 1},
    {16544, 0},
    {16545, 1},
    {16547, 1},
    {16548, 1},
    {16549, 1},
    {16550, 0},
    {16551, 0},
    {16552, 0},
    {16553, 0},
    {16554, 0},
    {16555, 0},
    {16556, 0},
    // Electronic journal.
    {26003, 1},  // MediumIsAvailable
    {26004, 4},  // Station: EJ_S_RECEIPT
    {26005, 1},  // StorageEnabled
    {26006, 0},
    {26007, 0},
    {26501, 0},
    {26502, 0},
    {26503, 0},
    {26504, 0},
    {26505, 1},  // CapPrintContent
    {26506, 0},
    {26507, 0},
    {26508, 0},
    {26509, 0},
    {26510, 0},
    {26511, 4},  // CapStation
    {26512, 1},  // CapStorageEnabled
    {26513, 0},
    {26514, 0},
    {26515, 0},
};

struct StringConstant {
  int32_t index;
  const char* value;
};

constexpr StringConstant kStringConstants[] = {
    {opos::pidx::kDeviceDescription, "Kestrel"},
    {opos::pidx::kDeviceName, "Kestrel"},
    {opos::pidx::kServiceObjectDescription, "Kestrel Device Service OPOS 1.12"},
    {1005001, "windows-1250"},  // CharacterSetList
    {1005002, ""},              // CustomGlyphList
    {1005003, "2x20"},          // ScreenModeList
    {1016002, "1, 2, 3, 4"},    // PredefinedPaymentLines
    {1016003, ""},              // ReservedWord
    {1016004, ""},              // AdditionalHeader
    {1016006, ""},              // ChangeDue
    {1016007, ""},              // PostLine
    {1016008, ""},              // PreLine
    {1026001, ""},              // MediumID
};

constexpr const char* kGetNumberTag = "FiscalPrinter::GetPropertyNumber";
constexpr const char* kGetStringTag = "FiscalPrinter::GetPropertyString";

// The trailer is read through a buffer of this many characters.
constexpr std::size_t kTrailerChars = 1000;

int32_t Logged(int32_t value) {
  Log::Instance().Write(kGetNumberTag, "returned %d", value);
  return value;
}

}  // namespace

void FiscalPrinter::GetPropertyNumber(int32_t index, int32_t* number) {
  // A read made from inside a status event is served at once: the guard then
  // holds nothing and the outer call keeps the lock.
  BusyGuard busy;
  Log::Instance().Write(kGetNumberTag, "%d", index);
  const int32_t value = ReadNumber(index);
  if (number) *number = value;
}

void FiscalPrinter::GetPropertyString(int32_t index, std::string* text) {
  BusyGuard busy;
  Log::Instance().Write(kGetStringTag, "%d", index);
  std::string value = ReadString(index);
  if (text) *text = std::move(value);
}

int32_t FiscalPrinter::ReadNumber(int32_t index) {
  namespace pidx = opos::pidx;
  switch (index) {
    case pidx::kClaimed:
      return claimed_ ? 1 : 0;
    case pidx::kDeviceEnabled:
      return deviceEnabled_ ? 1 : 0;
    case pidx::kFreezeEvents:
      return freezeEvents_ ? 1 : 0;
    case pidx::kResultCode:
      return Logged(resultCode_);
    case pidx::kResultCodeExtended:
      return Logged(resultCodeExtended_);
    case pidx::kState:
      return Logged(Messaging::Instance().GetState());
    case pidx::kPowerState:
      return Logged(GetPowerState());
    case pidx::kDispDeviceRows:
    case pidx::kDispRows:
      return Logged(lineDisplayRows_);
    case pidx::kCoverOpen:
      CheckRecStatus(0, kStationReceipt);
      return Logged(receiptStatus_ == opos::kSueCoverOpen ? 1 : 0);
    case pidx::kDayOpened:
      return Logged(Journal::Instance().GetEODTransactions() ? 1 : 0);
    case pidx::kErrorLevel:
      return errorLevel_;
    case pidx::kErrorState:
      return errorState_;
    case pidx::kPrinterState:
      return Logged(ComputedPrinterState());
    case pidx::kRecEmpty:
      CheckRecStatus(0, kStationReceipt);
      return Logged(receiptStatus_ == opos::kSueRecEmpty ? 1 : 0);
    case pidx::kRecNearEnd:
      CheckRecStatus(0, kStationReceipt);
      return Logged(receiptStatus_ == opos::kSueRecNearEmpty ? 1 : 0);
    case pidx::kSlpEmpty:
      // Empty unless a slip is known to be in place, also without a slip unit.
      CheckRecStatus(0, kStationSlip);
      return Logged(slipStatus_ == opos::kSueSlpPaperOk ? 0 : 1);
    case pidx::kTrainingModeActive:
      return Logged(claimed_ && Messaging::Instance().GetTrainingModeActive() ? 1 : 0);
    case pidx::kDateType:
      return dateType_;
    case pidx::kFiscalReceiptType:
      return Logged(fiscalReceiptType_);
    case pidx::kCapSlpPresent:
      return Logged(Messaging::Instance().GetSlipPresent() ? 1 : 0);
    default:
      break;
  }
  for (const NumberConstant& constant : kNumberConstants) {
    if (constant.index == index) return constant.value;
  }
  return 0;
}

std::string FiscalPrinter::ReadString(int32_t index) {
  Log& log = Log::Instance();
  std::string value;
  switch (index) {
    case opos::pidx::kCheckHealthText:
      value = checkHealthText_;
      break;
    case opos::pidx::kErrorString:
      value = Messaging::Instance().GetErrorMessage();
      break;
    case opos::pidx::kAdditionalTrailer: {
      char trailer[kTrailerChars + 1] = {};
      Journal::Instance().GetReceiptTrailer(trailer, kTrailerChars);
      trailer[kTrailerChars] = '\0';
      value = trailer;
      break;
    }
    default:
      for (const StringConstant& constant : kStringConstants) {
        if (constant.index == index) return constant.value;
      }
      return value;  // not answered: empty
  }
  log.Write(kGetStringTag, "returned %s", value.c_str());
  return value;
}

int32_t FiscalPrinter::GetPowerState() {
  // Without the claim the port is not ours to open: the state is not known.
  if (!claimed_) return opos::kPowerUnknown;
  // Only silence counts as off; any answer, even an error, is a live printer.
  return Messaging::Instance().GetPrinterStatus(currentStation_) == kTimeout ? opos::kPowerOffOffline
                                                                             : opos::kPowerOnline;
}

int32_t FiscalPrinter::ComputedPrinterState() {
  Messaging& messaging = Messaging::Instance();
  const int32_t cached = messaging.GetFiscalPrinterState(false);
  return cached == kPrinterStateMonitor && claimed_ ? messaging.GetFiscalPrinterState(true) : cached;
}

int32_t FiscalPrinter::SetPropertyNumber(int32_t index, int32_t number) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetPropertyNumber", nullptr);
  Log::Instance().Write("FiscalPrinter::SetPropertyNumber", "%d; %d", index, number);
  switch (index) {
    case opos::pidx::kDeviceEnabled:
      return SetDeviceEnabled(number != 0);
    case opos::pidx::kFreezeEvents:
      freezeEvents_ = number != 0;  // no result is recorded
      return kSuccess;
    case opos::pidx::kDateType:
      return SetDateType(number);
    case opos::pidx::kFiscalReceiptType:
      return SetFiscalReceiptType(number);
    default:
      return Finish(kIllegal, nullptr, text::kTextNotSupported, false);
  }
}

int32_t FiscalPrinter::SetPropertyString(int32_t index, const char* text) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered("FiscalPrinter::SetPropertyString", nullptr);
  Log::Instance().Write("FiscalPrinter::SetPropertyString", "%d; %s", index, Text(text));
  if (index == opos::pidx::kAdditionalTrailer) {
    // An empty text leaves the stored trailer; nothing is recorded either way.
    Journal::Instance().UpdateReceiptTrailer(Text(text));
    return kSuccess;
  }
  return Finish(kIllegal, nullptr, text::kTextNotSupported, false);
}

int32_t FiscalPrinter::SetDateType(int32_t type) {
  Log::Instance().Write("FiscalPrinter::SetDateType", "%d", type);
  if (!CheckDevice()) return Finish(kKeepRecordedResult, nullptr, nullptr, false);
  if (type != opos::kDateTypeConf && type != opos::kDateTypeRtc) {
    return Finish(kIllegal, nullptr, text::kTextNotSupported, false);
  }
  dateType_ = type;
  return Finish(kSuccess, nullptr, nullptr, true);
}

int32_t FiscalPrinter::SetFiscalReceiptType(int32_t type) {
  Log::Instance().Write("FiscalPrinter::SetFiscalReceiptType", "%d", type);
  if (!CheckDevice()) return Finish(kKeepRecordedResult, nullptr, nullptr, false);
  if (!checkStateDisabled_ && !CheckPrinterState(kPrinterStateMonitor)) {
    return Finish(kKeepRecordedResult, nullptr, nullptr, true);
  }
  if (type < opos::kReceiptTypeCashIn || type > opos::kReceiptTypeRefund) {
    return Finish(kIllegal, nullptr, text::kTextNotSupported, false);
  }
  fiscalReceiptType_ = type;
  return Finish(kSuccess, nullptr, nullptr, true);
}

}  // namespace kestrel
