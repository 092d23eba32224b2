#pragma once
// FiscalPrinter: the service object. One instance per Control Object; the
// COM server wraps it on Windows, the command-line tool and the tests use it
// directly. It never touches the serial port itself: printer traffic goes
// through Messaging, files through Journal, configuration through Settings.
//
// Interface methods, in the order of the IFiscalPrinter dispatch interface.
// Conventions shared by all of them:
//   - texts in are windows-1250 byte strings (null reads as ""), texts out
//     are std::string* in windows-1250; numbers are int32_t, currency is
//     int64_t (amount x 10000); any out-parameter may be null;
//   - every method except the four property methods ends with `result`,
//     which receives the code the method reports (ResultCodeExtended for an
//     extended failure, e.g. 207 rather than 114); the same code is the
//     return value, so a caller without a result pointer still sees it;
//   - nothing throws; every method logs "FiscalPrinter::<Name>" with its
//     arguments;
//   - every method holds Messaging's busy lock from start to end, so calls
//     from different threads run one after the other. A call made on the
//     same thread while another method is still running (an application
//     handler inside SOStatusUpdate) is answered at once: property reads
//     are served, everything else answers 113 without touching ResultCode,
//     ErrorString or the outer call's lock.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "log/Log.h"  // KESTREL_PRINTF
#include "protocol/Stations.h"
#include "service/EventSink.h"
#include "service/FiscalPrinterConstants.h"

// <windows.h> maps CreateWindow onto CreateWindowA/W; the service's method of
// that name must keep it in every translation unit, or the COM server would
// call a member that does not exist.
#ifdef CreateWindow
#undef CreateWindow
#endif

namespace kestrel {

class FiscalPrinter {
 public:
  FiscalPrinter() = default;
  // Rows of the customer display without LineDisplayRows.
  static constexpr int32_t kDefaultLineDisplayRows = 2;
  // Destroying the object does nothing to the process-wide objects: the
  // port stays as it is and nothing is flushed.
  ~FiscalPrinter() = default;
  FiscalPrinter(const FiscalPrinter&) = delete;
  FiscalPrinter& operator=(const FiscalPrinter&) = delete;

  // ---- Common ----
  int32_t ClaimDevice(int32_t timeout, int32_t* result);
  int32_t CheckHealth(int32_t level, int32_t* result);
  int32_t CloseService(int32_t* result);
  // sink: where status update events go; may be null. Not owned.
  int32_t OpenService(const char* deviceClass, const char* deviceName, EventSink* sink, int32_t* result);
  int32_t ReleaseDevice(int32_t* result);
  void GetPropertyNumber(int32_t index, int32_t* number);
  void GetPropertyString(int32_t index, std::string* text);
  // The setters return the code they recorded (0 when they record none).
  int32_t SetPropertyNumber(int32_t index, int32_t number);
  int32_t SetPropertyString(int32_t index, const char* text);
  int32_t COFreezeEvents(bool freeze, int32_t* result);
  int32_t DirectIO(int32_t command, int32_t* data, std::string* text, int32_t* result);
  int32_t ClearInput(int32_t* result);
  int32_t ClearOutput(int32_t* result);

  // ---- Cash drawer ----
  int32_t OpenDrawer(int32_t* result);
  int32_t WaitForDrawerClose(int32_t beepTimeout, int32_t beepFrequency, int32_t beepDuration, int32_t beepDelay,
                             int32_t* result);

  // ---- Line display ----
  int32_t ClearDescriptors(int32_t* result);
  int32_t ClearText(int32_t* result);
  int32_t CreateWindow(int32_t viewportRow, int32_t viewportColumn, int32_t viewportHeight, int32_t viewportWidth,
                       int32_t windowHeight, int32_t windowWidth, int32_t* result);
  int32_t DefineGlyph(int32_t glyphCode, const char* glyph, int32_t* result);
  int32_t DestroyWindow(int32_t* result);
  int32_t DisplayText(const char* data, int32_t attribute, int32_t* result);
  int32_t DisplayTextAt(int32_t row, int32_t column, const char* data, int32_t attribute, int32_t* result);
  int32_t ReadCharacterAtCursor(int32_t* character, int32_t* result);
  int32_t RefreshWindow(int32_t window, int32_t* result);
  int32_t ScrollText(int32_t direction, int32_t units, int32_t* result);
  int32_t SetDescriptor(int32_t descriptor, int32_t attribute, int32_t* result);

  // ---- Fiscal printer ----
  int32_t BeginFiscalDocument(int32_t documentAmount, int32_t* result);
  int32_t BeginFiscalReceipt(bool printHeader, int32_t* result);
  int32_t BeginFixedOutput(int32_t station, int32_t documentType, int32_t* result);
  int32_t BeginInsertion(int32_t timeout, int32_t* result);
  int32_t BeginItemList(int32_t vatId, int32_t* result);
  int32_t BeginNonFiscal(int32_t* result);
  int32_t BeginRemoval(int32_t timeout, int32_t* result);
  int32_t BeginTraining(int32_t* result);
  int32_t ClearError(int32_t* result);
  int32_t EndFiscalDocument(int32_t* result);
  int32_t EndFiscalReceipt(bool printHeader, int32_t* result);
  int32_t EndFixedOutput(int32_t* result);
  int32_t EndInsertion(int32_t* result);
  int32_t EndItemList(int32_t* result);
  int32_t EndNonFiscal(int32_t* result);
  int32_t EndRemoval(int32_t* result);
  int32_t EndTraining(int32_t* result);
  int32_t GetData(int32_t dataItem, int32_t* optArgs, std::string* data, int32_t* result);
  int32_t GetDate(std::string* date, int32_t* result);
  int32_t GetTotalizer(int32_t vatId, int32_t optArgs, std::string* data, int32_t* result);
  int32_t GetVatEntry(int32_t vatId, int32_t optArgs, int32_t* vatRate, int32_t* result);
  int32_t PrintDuplicateReceipt(int32_t* result);
  int32_t PrintFiscalDocumentLine(const char* documentLine, int32_t* result);
  int32_t PrintFixedOutput(int32_t documentType, int32_t lineNumber, const char* data, int32_t* result);
  int32_t PrintNormal(int32_t station, const char* data, int32_t* result);
  int32_t PrintPeriodicTotalsReport(const char* date1, const char* date2, int32_t* result);
  int32_t PrintPowerLossReport(int32_t* result);
  int32_t PrintRecCash(int64_t amount, int32_t* result);
  int32_t PrintRecItem(const char* description, int64_t price, int32_t quantity, int32_t vatInfo, int64_t unitPrice,
                       const char* unitName, int32_t* result);
  int32_t PrintRecItemAdjustment(int32_t adjustmentType, const char* description, int64_t amount, int32_t vatInfo,
                                 int32_t* result);
  int32_t PrintRecItemFuel(const char* description, int64_t price, int32_t quantity, int32_t vatInfo, int64_t unitPrice,
                           const char* unitName, int64_t specialTax, const char* specialTaxName, int32_t* result);
  int32_t PrintRecItemFuelVoid(const char* description, int64_t price, int32_t vatInfo, int64_t specialTax,
                               int32_t* result);
  int32_t PrintRecMessage(const char* message, int32_t* result);
  int32_t PrintRecNotPaid(const char* description, int64_t amount, int32_t* result);
  int32_t PrintRecPackageAdjustment(int32_t adjustmentType, const char* description, const char* vatAdjustment,
                                    int32_t* result);
  int32_t PrintRecPackageAdjustVoid(int32_t adjustmentType, const char* vatAdjustment, int32_t* result);
  int32_t PrintRecRefund(const char* description, int64_t amount, int32_t vatInfo, int32_t* result);
  int32_t PrintRecRefundVoid(const char* description, int64_t amount, int32_t vatInfo, int32_t* result);
  int32_t PrintRecSubtotal(int64_t amount, int32_t* result);
  int32_t PrintRecSubtotalAdjustment(int32_t adjustmentType, const char* description, int64_t amount, int32_t* result);
  int32_t PrintRecSubtotalAdjustVoid(int32_t adjustmentType, int64_t amount, int32_t* result);
  int32_t PrintRecTaxID(const char* taxId, int32_t* result);
  int32_t PrintRecTotal(int64_t total, int64_t payment, const char* description, int32_t* result);
  int32_t PrintRecVoid(const char* description, int32_t* result);
  int32_t PrintRecVoidItem(const char* description, int64_t amount, int32_t quantity, int32_t adjustmentType,
                           int64_t adjustment, int32_t vatInfo, int32_t* result);
  int32_t PrintReport(int32_t reportType, const char* startNum, const char* endNum, int32_t* result);
  int32_t PrintXReport(int32_t* result);
  int32_t PrintZReport(int32_t* result);
  int32_t ResetPrinter(int32_t* result);
  int32_t SetCurrency(int32_t newCurrency, int32_t* result);
  int32_t SetDate(const char* date, int32_t* result);
  int32_t SetHeaderLine(int32_t lineNumber, const char* text, bool doubleWidth, int32_t* result);
  int32_t SetPOSID(const char* posId, const char* cashierId, int32_t* result);
  int32_t SetStoreFiscalID(const char* id, int32_t* result);
  int32_t SetTrailerLine(int32_t lineNumber, const char* text, bool doubleWidth, int32_t* result);
  int32_t SetVatTable(int32_t* result);
  int32_t SetVatValue(int32_t vatId, const char* vatValue, int32_t* result);
  int32_t VerifyItem(const char* itemName, int32_t vatId, int32_t* result);

  // ---- Statistics and firmware ----
  int32_t ResetStatistics(const char* statisticsBuffer, int32_t* result);
  int32_t RetrieveStatistics(std::string* statisticsBuffer, int32_t* result);
  int32_t UpdateFirmware(const char* firmwareFileName, int32_t* result);
  int32_t UpdateStatistics(const char* statisticsBuffer, int32_t* result);
  int32_t CompareFirmwareVersion(const char* firmwareFileName, int32_t* compareResult, int32_t* result);

  // ---- Bitmaps and later fiscal printer methods ----
  int32_t DisplayBitmap(const char* fileName, int32_t width, int32_t alignmentX, int32_t alignmentY, int32_t* result);
  int32_t SetBitmap(int32_t bitmapNumber, const char* fileName, int32_t width, int32_t alignmentX, int32_t alignmentY,
                    int32_t* result);
  int32_t PrintRecItemAdjustmentVoid(int32_t adjustmentType, const char* description, int64_t amount, int32_t vatInfo,
                                     int32_t* result);
  int32_t PrintRecItemVoid(const char* description, int64_t price, int32_t quantity, int32_t vatInfo, int64_t unitPrice,
                           const char* unitName, int32_t* result);
  int32_t PrintRecItemRefund(const char* description, int64_t amount, int32_t quantity, int32_t vatInfo,
                             int64_t unitAmount, const char* unitName, int32_t* result);
  int32_t PrintRecItemRefundVoid(const char* description, int64_t amount, int32_t quantity, int32_t vatInfo,
                                 int64_t unitAmount, const char* unitName, int32_t* result);

  // ---- Electronic journal ----
  int32_t GetMediumFreeSpace(int64_t* freeSpace, int32_t* result);
  int32_t GetMediumSize(int64_t* size, int32_t* result);
  int32_t AddMarker(const char* marker, int32_t* result);
  int32_t CancelPrintContent(int32_t* result);
  int32_t CancelQueryContent(int32_t* result);
  int32_t EraseMedium(int32_t* result);
  int32_t InitializeMedium(const char* mediumId, int32_t* result);
  int32_t PrintContent(const char* fromMarker, const char* toMarker, int32_t* result);
  int32_t PrintContentFile(const char* fileName, int32_t* result);
  int32_t QueryContent(const char* fileName, const char* fromMarker, const char* toMarker, int32_t* result);
  int32_t ResumePrintContent(int32_t* result);
  int32_t ResumeQueryContent(int32_t* result);
  int32_t RetrieveCurrentMarker(int32_t markerType, std::string* marker, int32_t* result);
  int32_t RetrieveMarker(int32_t markerType, int32_t sessionNumber, int32_t documentType, std::string* marker,
                         int32_t* result);
  int32_t RetrieveMarkerByDateTime(int32_t markerType, const char* dateTime, const char* markerNumber,
                                   std::string* marker, int32_t* result);
  int32_t RetrieveMarkersDateTime(const char* marker, std::string* dateTime, int32_t* result);
  int32_t SuspendPrintContent(int32_t* result);
  int32_t SuspendQueryContent(int32_t* result);

  // The receipt identifier kept for the next receipt: at most this many
  // characters (DirectIO stores it, BeginFiscalReceipt sends it).
  static constexpr std::size_t kReceiptIdChars = 1000;
  static constexpr int32_t kNumHeaderLines = 3;
  static constexpr int32_t kNumVatRates = 8;

 private:
  friend struct FiscalPrinterTestPeer;  // tests/service only

  // ---- Result reporting (FiscalPrinterErrors.cpp) ----
  // Records a result: kKeepRecordedResult (any code < 0) keeps what an
  // earlier step recorded, 0..100 is success, 101..200 an OPOS code, above 200 an extended code. Derives
  // ErrorLevel, ErrorState and State, writes the reported code to result,
  // and (display, failure other than 112/113) shows ErrorString on the
  // customer display without letting that exchange change ErrorString.
  // Always 0; the lock is released by the method's guard, not here.
  int32_t SetError(int32_t code, int32_t* result, const char* text, bool display);
  // SetError, then the reported code into result and as the return value.
  int32_t Finish(int32_t code, int32_t* result, const char* text, bool display);
  // The answer to a call made on the thread that is already inside the
  // service: 113 into result, nothing recorded.
  static int32_t AnswerReEntered(const char* tag, int32_t* result);
  // Turns a status result (0, or 0 for "ask the printer") into the receipt or
  // slip status and fires an event when it changed. The status result it
  // went by (112 when the printer did not answer).
  int32_t CheckRecStatus(int32_t code, int32_t station);
  int32_t FireStatusUpdateEvent(int32_t status);

  // ---- Precondition tests (FiscalPrinterChecks.cpp) ----
  // Each records its own result and answers true to go on; a caller that
  // gets false ends with Finish(kKeepRecordedResult, ...), which reports the
  // recorded code.
  bool CheckDevice();
  bool CheckPrinterState(int32_t expected);
  bool CheckCurrencyValue(int64_t amount);
  bool CheckHeaderLineID(int32_t line);
  bool CheckVatID(int32_t vatId);

  // ---- Lifecycle steps (FiscalPrinterLifecycle.cpp) ----
  int32_t SetDeviceEnabled(bool enable);
  void ResetForOpen(EventSink* sink);

  // ---- Properties (FiscalPrinterProperties.cpp) ----
  int32_t ReadNumber(int32_t index);
  std::string ReadString(int32_t index);
  int32_t GetPowerState();
  int32_t ComputedPrinterState();
  int32_t SetDateType(int32_t type);
  int32_t SetFiscalReceiptType(int32_t type);

  // ---- Configuration readers (FiscalPrinterConfig.cpp) ----
  // Each reads one profile value and returns Settings::ReadValue's result;
  // a missing, too long or empty value leaves the field as it was.
  int32_t SetFreezeEvents();
  int32_t SetStateChecking();
  int32_t SetItemDisplaying();
  int32_t SetLineDisplayRows();
  int32_t SetCashReceiptFormat();
  int32_t SetV7Protocol();
  void ReadConfiguration();

  // Logs the call under tag with its arguments (printf rules) and answers 106
  // "Nepodporované" without touching the printer, in every state.
  int32_t Unsupported(const char* tag, int32_t* result, const char* format, ...) KESTREL_PRINTF(4, 5);
  // A null text argument reads as "".
  static const char* Text(const char* text) { return text ? text : ""; }
  // An item line of a kind (0 sale, 1 void, 2 refund) logged under tag: the
  // item void, the refund and the refund void differ in nothing else.
  int32_t ItemLineOfKind(const char* tag, int lineKind, const char* description, int64_t amount, int32_t quantity,
                         int32_t vatInfo, int64_t unitAmount, const char* unitName, int32_t* result);
  // Training mode on or off, asked first so that the printer is told only
  // when it is in the other mode.
  int32_t SwitchTraining(const char* tag, bool on, int32_t* result);

  // ---- The printer's word on receipt commands (FiscalPrinterReceipt.cpp) ----
  // The result of a command printed into an open receipt: a failure whose
  // outcome the printer could not tell becomes 112 and cancels nothing;
  // any other failure gets the cancel-on-failure rule.
  int32_t ReceiptCommandResult(int32_t code);
  // 112 for a failure whose reply never came readable and whose outcome is
  // not known; any other code as it is.
  static int32_t SettleOutcome(int32_t code);
  // The cancel-on-failure rule. A cancel the printer carried out is
  // remembered with the failure (code and text) that caused it.
  void CancelOnFailure(int32_t failure);
  // The printer's state asked for a method: 0, or 112 / 111 when it does
  // not answer (the cached state is then left as it is).
  static int32_t AskPrinterState(int& state);
  // The total and the VAT table of a paid receipt, from the first of them
  // not yet printed (totalStepsLeft_).
  int32_t PrintTotalSteps();

  // ---- Receipt identifier and pending VAT table ----
  // Exist from OpenService to CloseService; empty text when absent.
  const char* ReceiptId() const { return receiptId_ ? receiptId_->c_str() : ""; }
  void StoreReceiptId(const char* text);

  // ---- State (values at construction; OpenService sets its own) ----
  EventSink* controlObject_ = nullptr;  // not owned, not reference-counted
  bool opened_ = false;
  bool claimed_ = false;
  bool deviceEnabled_ = false;
  bool freezeEvents_ = false;
  int32_t resultCode_ = 0;
  int32_t resultCodeExtended_ = 0;
  int32_t errorLevel_ = 0;
  int32_t errorState_ = 0;
  std::string checkHealthText_;
  int32_t currentStation_ = kStationReceipt;  // kStationSlip while a slip is selected
  int32_t receiptStatus_ = opos::kSueRecPaperOk;
  int32_t slipStatus_ = 0;
  int32_t dateType_ = opos::kDateTypeRtc;
  int32_t fiscalReceiptType_ = opos::kReceiptTypeSales;
  std::optional<std::string> receiptId_;
  std::optional<std::string> pendingVatTable_;
  // The failure for which the service itself cancelled the receipt (0: it
  // did not since the last BeginFiscalReceipt, PrintRecVoid or OpenService);
  // EndFiscalReceipt reports it again instead of success.
  int32_t ownCancelCode_ = 0;
  std::string ownCancelText_;
  // After a payment that settled the receipt: 2 while the total and the VAT
  // table are still to print, 1 while the VAT table is; a repeated
  // PrintRecTotal prints them.
  int32_t totalStepsLeft_ = 0;
  bool displayItemDisabled_ = false;
  bool checkStateDisabled_ = false;
  bool singleCashReceipt_ = true;
  bool v7Protocol_ = false;
  int32_t lineDisplayRows_ = kDefaultLineDisplayRows;
};

}  // namespace kestrel
