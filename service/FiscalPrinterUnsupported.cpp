// Methods of the interface that this printer does not offer. Each logs its
// call with its arguments and answers 106 "Nepodporované" in every state,
// without a word to the printer.
#include <cstdarg>
#include <cstdio>

#include "log/Log.h"
#include "protocol/Messaging.h"
#include "service/FiscalPrinter.h"
#include "tools/Results.h"
#include "tools/Texts.h"

namespace kestrel {
namespace {

long long Amount(int64_t value) { return value; }

}  // namespace

int32_t FiscalPrinter::Unsupported(const char* tag, int32_t* result, const char* format, ...) {
  BusyGuard busy;
  if (busy.ReEntered()) return AnswerReEntered(tag, result);
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  Log::Instance().Write(tag, "%s", line);
  return Finish(kIllegal, result, text::kTextNotSupported, false);
}

// ---- Common, statistics and firmware ----

int32_t FiscalPrinter::ClearInput(int32_t* result) {
  return Unsupported("FiscalPrinter::ClearInput", result, "%s", "");
}

int32_t FiscalPrinter::ClearOutput(int32_t* result) {
  return Unsupported("FiscalPrinter::ClearOutput", result, "%s", "");
}

int32_t FiscalPrinter::ResetStatistics(const char* statisticsBuffer, int32_t* result) {
  return Unsupported("FiscalPrinter::ResetStatistics", result, "%s", Text(statisticsBuffer));
}

int32_t FiscalPrinter::RetrieveStatistics(std::string* statisticsBuffer, int32_t* result) {
  return Unsupported("FiscalPrinter::RetrieveStatistics", result, "%s",
                     statisticsBuffer ? statisticsBuffer->c_str() : "");
}

int32_t FiscalPrinter::UpdateFirmware(const char* firmwareFileName, int32_t* result) {
  return Unsupported("FiscalPrinter::UpdateFirmware", result, "%s", Text(firmwareFileName));
}

int32_t FiscalPrinter::UpdateStatistics(const char* statisticsBuffer, int32_t* result) {
  return Unsupported("FiscalPrinter::UpdateStatistics", result, "%s", Text(statisticsBuffer));
}

int32_t FiscalPrinter::CompareFirmwareVersion(const char* firmwareFileName, int32_t* /*compareResult*/,
                                              int32_t* result) {
  return Unsupported("FiscalPrinter::CompareFirmwareVersion", result, "%s", Text(firmwareFileName));
}

// ---- Cash drawer ----

int32_t FiscalPrinter::WaitForDrawerClose(int32_t beepTimeout, int32_t beepFrequency, int32_t beepDuration,
                                          int32_t beepDelay, int32_t* result) {
  return Unsupported("FiscalPrinter::WaitForDrawerClose", result, "%d; %d; %d; %d", beepTimeout, beepFrequency,
                     beepDuration, beepDelay);
}

// ---- Line display ----

int32_t FiscalPrinter::ClearDescriptors(int32_t* result) {
  return Unsupported("FiscalPrinter::ClearDescriptors", result, "%s", "");
}

int32_t FiscalPrinter::CreateWindow(int32_t viewportRow, int32_t viewportColumn, int32_t viewportHeight,
                                    int32_t viewportWidth, int32_t windowHeight, int32_t windowWidth, int32_t* result) {
  return Unsupported("FiscalPrinter::CreateWindow", result, "%d; %d; %d; %d; %d; %d", viewportRow, viewportColumn,
                     viewportHeight, viewportWidth, windowHeight, windowWidth);
}

int32_t FiscalPrinter::DefineGlyph(int32_t glyphCode, const char* /*glyph*/, int32_t* result) {
  return Unsupported("FiscalPrinter::DefineGlyph", result, "%d", glyphCode);
}

int32_t FiscalPrinter::ReadCharacterAtCursor(int32_t* /*character*/, int32_t* result) {
  return Unsupported("FiscalPrinter::ReadCharacterAtCursor", result, "%s", "");
}

int32_t FiscalPrinter::RefreshWindow(int32_t window, int32_t* result) {
  return Unsupported("FiscalPrinter::RefreshWindow", result, "%d", window);
}

int32_t FiscalPrinter::ScrollText(int32_t direction, int32_t units, int32_t* result) {
  return Unsupported("FiscalPrinter::ScrollText", result, "%d; %d", direction, units);
}

int32_t FiscalPrinter::SetDescriptor(int32_t descriptor, int32_t attribute, int32_t* result) {
  return Unsupported("FiscalPrinter::SetDescriptor", result, "%d; %d", descriptor, attribute);
}

int32_t FiscalPrinter::DisplayBitmap(const char* fileName, int32_t width, int32_t alignmentX, int32_t alignmentY,
                                     int32_t* result) {
  return Unsupported("FiscalPrinter::DisplayBitmap", result, "%s; %d; %d; %d", Text(fileName), width, alignmentX,
                     alignmentY);
}

int32_t FiscalPrinter::SetBitmap(int32_t bitmapNumber, const char* fileName, int32_t width, int32_t alignmentX,
                                 int32_t alignmentY, int32_t* result) {
  return Unsupported("FiscalPrinter::SetBitmap", result, "%d; %s; %d; %d; %d", bitmapNumber, Text(fileName), width,
                     alignmentX, alignmentY);
}

// ---- Fiscal printer ----

int32_t FiscalPrinter::BeginFiscalDocument(int32_t documentAmount, int32_t* result) {
  return Unsupported("FiscalPrinter::BeginFiscalDocument", result, "%d", documentAmount);
}

int32_t FiscalPrinter::BeginFixedOutput(int32_t station, int32_t documentType, int32_t* result) {
  return Unsupported("FiscalPrinter::BeginFixedOutput", result, "%d; %d", station, documentType);
}

int32_t FiscalPrinter::BeginItemList(int32_t vatId, int32_t* result) {
  return Unsupported("FiscalPrinter::BeginItemList", result, "%d", vatId);
}

int32_t FiscalPrinter::ClearError(int32_t* result) {
  return Unsupported("FiscalPrinter::ClearError", result, "%s", "");
}

int32_t FiscalPrinter::EndFiscalDocument(int32_t* result) {
  return Unsupported("FiscalPrinter::EndFiscalDocument", result, "%s", "");
}

int32_t FiscalPrinter::EndFixedOutput(int32_t* result) {
  return Unsupported("FiscalPrinter::EndFixedOutput", result, "%s", "");
}

int32_t FiscalPrinter::EndItemList(int32_t* result) {
  return Unsupported("FiscalPrinter::EndItemList", result, "%s", "");
}

int32_t FiscalPrinter::PrintFiscalDocumentLine(const char* documentLine, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintFiscalDocumentLine", result, "%s", Text(documentLine));
}

int32_t FiscalPrinter::PrintFixedOutput(int32_t documentType, int32_t lineNumber, const char* data, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintFixedOutput", result, "%d; %d; %s", documentType, lineNumber, Text(data));
}

int32_t FiscalPrinter::PrintPowerLossReport(int32_t* result) {
  return Unsupported("FiscalPrinter::PrintPowerLossReport", result, "%s", "");
}

int32_t FiscalPrinter::PrintRecItemFuel(const char* description, int64_t price, int32_t quantity, int32_t vatInfo,
                                        int64_t unitPrice, const char* unitName, int64_t specialTax,
                                        const char* specialTaxName, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintRecItemFuel", result, "%s; %lld; %d; %d; %lld; %s; %lld; %s",
                     Text(description), Amount(price), quantity, vatInfo, Amount(unitPrice), Text(unitName),
                     Amount(specialTax), Text(specialTaxName));
}

int32_t FiscalPrinter::PrintRecItemFuelVoid(const char* description, int64_t price, int32_t vatInfo, int64_t specialTax,
                                            int32_t* result) {
  return Unsupported("FiscalPrinter::PrintRecItemFuelVoid", result, "%s; %lld; %d; %lld", Text(description),
                     Amount(price), vatInfo, Amount(specialTax));
}

int32_t FiscalPrinter::PrintRecNotPaid(const char* description, int64_t amount, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintRecNotPaid", result, "%s; %lld", Text(description), Amount(amount));
}

int32_t FiscalPrinter::PrintRecPackageAdjustment(int32_t adjustmentType, const char* description,
                                                 const char* vatAdjustment, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintRecPackageAdjustment", result, "%d; %s; %s", adjustmentType,
                     Text(description), Text(vatAdjustment));
}

int32_t FiscalPrinter::PrintRecPackageAdjustVoid(int32_t adjustmentType, const char* vatAdjustment, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintRecPackageAdjustVoid", result, "%d; %s", adjustmentType, Text(vatAdjustment));
}

int32_t FiscalPrinter::PrintRecTaxID(const char* taxId, int32_t* result) {
  return Unsupported("FiscalPrinter::PrintRecTaxID", result, "%s", Text(taxId));
}

int32_t FiscalPrinter::SetCurrency(int32_t newCurrency, int32_t* result) {
  return Unsupported("FiscalPrinter::SetCurrency", result, "%d", newCurrency);
}

int32_t FiscalPrinter::SetTrailerLine(int32_t lineNumber, const char* text, bool doubleWidth, int32_t* result) {
  return Unsupported("FiscalPrinter::SetTrailerLine", result, "%d; %s; %d", lineNumber, Text(text),
                     doubleWidth ? 1 : 0);
}

int32_t FiscalPrinter::VerifyItem(const char* itemName, int32_t vatId, int32_t* result) {
  return Unsupported("FiscalPrinter::VerifyItem", result, "%s; %d", Text(itemName), vatId);
}

// ---- Electronic journal ----

int32_t FiscalPrinter::GetMediumFreeSpace(int64_t* /*freeSpace*/, int32_t* result) {
  return Unsupported("FiscalPrinter::GetMediumFreeSpace", result, "%s", "");
}

int32_t FiscalPrinter::GetMediumSize(int64_t* /*size*/, int32_t* result) {
  return Unsupported("FiscalPrinter::GetMediumSize", result, "%s", "");
}

int32_t FiscalPrinter::AddMarker(const char* marker, int32_t* result) {
  return Unsupported("FiscalPrinter::AddMarker", result, "%s", Text(marker));
}

int32_t FiscalPrinter::CancelPrintContent(int32_t* result) {
  return Unsupported("FiscalPrinter::CancelPrintContent", result, "%s", "");
}

int32_t FiscalPrinter::CancelQueryContent(int32_t* result) {
  return Unsupported("FiscalPrinter::CancelQueryContent", result, "%s", "");
}

int32_t FiscalPrinter::EraseMedium(int32_t* result) {
  return Unsupported("FiscalPrinter::EraseMedium", result, "%s", "");
}

int32_t FiscalPrinter::InitializeMedium(const char* mediumId, int32_t* result) {
  return Unsupported("FiscalPrinter::InitializeMedium", result, "%s", Text(mediumId));
}

int32_t FiscalPrinter::ResumePrintContent(int32_t* result) {
  return Unsupported("FiscalPrinter::ResumePrintContent", result, "%s", "");
}

int32_t FiscalPrinter::ResumeQueryContent(int32_t* result) {
  return Unsupported("FiscalPrinter::ResumeQueryContent", result, "%s", "");
}

int32_t FiscalPrinter::RetrieveCurrentMarker(int32_t markerType, std::string* /*marker*/, int32_t* result) {
  return Unsupported("FiscalPrinter::RetrieveCurrentMarker", result, "%d", markerType);
}

int32_t FiscalPrinter::RetrieveMarker(int32_t markerType, int32_t sessionNumber, int32_t documentType,
                                      std::string* /*marker*/, int32_t* result) {
  return Unsupported("FiscalPrinter::RetrieveMarker", result, "%d; %d; %d", markerType, sessionNumber, documentType);
}

int32_t FiscalPrinter::RetrieveMarkerByDateTime(int32_t markerType, const char* dateTime, const char* markerNumber,
                                                std::string* /*marker*/, int32_t* result) {
  return Unsupported("FiscalPrinter::RetrieveMarkerByDateTime", result, "%d; %s; %s", markerType, Text(dateTime),
                     Text(markerNumber));
}

int32_t FiscalPrinter::RetrieveMarkersDateTime(const char* marker, std::string* /*dateTime*/, int32_t* result) {
  return Unsupported("FiscalPrinter::RetrieveMarkersDateTime", result, "%s", Text(marker));
}

int32_t FiscalPrinter::SuspendPrintContent(int32_t* result) {
  return Unsupported("FiscalPrinter::SuspendPrintContent", result, "%s", "");
}

int32_t FiscalPrinter::SuspendQueryContent(int32_t* result) {
  return Unsupported("FiscalPrinter::SuspendQueryContent", result, "%s", "");
}

}  // namespace kestrel
