// The IFiscalPrinter methods: each converts its arguments, calls the service
// method of the same name and answers S_OK. The service records and returns
// the result code itself; it reaches the caller through the last argument.
#include "server/AnsiText.h"
#include "server/FiscalPrinterObject.h"

namespace kestrel::server {

STDMETHODIMP FiscalPrinterObject::ClaimDevice(LONG Timeout, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ClaimDevice(static_cast<int32_t>(Timeout), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::CheckHealth(LONG Level, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.CheckHealth(static_cast<int32_t>(Level), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::CloseService(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.CloseService(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::OpenService(BSTR DeviceClass, BSTR DeviceName, IDispatch* ControlObject,
                                              LONG* pResult) {
  sink_.Attach(ControlObject);
  NumberSlot result(pResult, false);
  printer_.OpenService(Ansi(DeviceClass).c_str(), Ansi(DeviceName).c_str(), ControlObject ? &sink_ : nullptr,
                       result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ReleaseDevice(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ReleaseDevice(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetPropertyNumber(LONG Index, LONG* pNumber) {
  NumberSlot value(pNumber, false);
  printer_.GetPropertyNumber(static_cast<int32_t>(Index), value.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetPropertyString(LONG Index, BSTR* pText) {
  std::string value;
  printer_.GetPropertyString(static_cast<int32_t>(Index), &value);
  if (pText) *pText = ToBstr(value);
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetPropertyNumber(LONG Index, LONG Number) {
  printer_.SetPropertyNumber(static_cast<int32_t>(Index), static_cast<int32_t>(Number));
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetPropertyString(LONG Index, BSTR Text) {
  printer_.SetPropertyString(static_cast<int32_t>(Index), Ansi(Text).c_str());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::COFreezeEvents(VARIANT_BOOL Freeze, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.COFreezeEvents(Freeze != VARIANT_FALSE, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::DirectIO(LONG Command, LONG* pData, BSTR* pText, LONG* pResult) {
  NumberSlot data(pData, true);
  TextSlot text(pText);
  NumberSlot result(pResult, false);
  printer_.DirectIO(static_cast<int32_t>(Command), data.get(), text.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ClearInput(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ClearInput(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ClearOutput(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ClearOutput(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::OpenDrawer(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.OpenDrawer(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::WaitForDrawerClose(LONG BeepTimeout, LONG BeepFrequency, LONG BeepDuration,
                                                     LONG BeepDelay, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.WaitForDrawerClose(static_cast<int32_t>(BeepTimeout), static_cast<int32_t>(BeepFrequency),
                              static_cast<int32_t>(BeepDuration), static_cast<int32_t>(BeepDelay), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ClearDescriptors(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ClearDescriptors(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ClearText(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ClearText(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::CreateWindow(LONG ViewportRow, LONG ViewportColumn, LONG ViewportHeight,
                                               LONG ViewportWidth, LONG WindowHeight, LONG WindowWidth, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.CreateWindow(static_cast<int32_t>(ViewportRow), static_cast<int32_t>(ViewportColumn),
                        static_cast<int32_t>(ViewportHeight), static_cast<int32_t>(ViewportWidth),
                        static_cast<int32_t>(WindowHeight), static_cast<int32_t>(WindowWidth), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::DefineGlyph(LONG GlyphCode, BSTR Glyph, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.DefineGlyph(static_cast<int32_t>(GlyphCode), Ansi(Glyph).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::DestroyWindow(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.DestroyWindow(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::DisplayText(BSTR Data, LONG Attribute, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.DisplayText(Ansi(Data).c_str(), static_cast<int32_t>(Attribute), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::DisplayTextAt(LONG Row, LONG Column, BSTR Data, LONG Attribute, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.DisplayTextAt(static_cast<int32_t>(Row), static_cast<int32_t>(Column), Ansi(Data).c_str(),
                         static_cast<int32_t>(Attribute), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ReadCharacterAtCursor(LONG* pCharacter, LONG* pResult) {
  NumberSlot character(pCharacter, true);
  NumberSlot result(pResult, false);
  printer_.ReadCharacterAtCursor(character.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::RefreshWindow(LONG Window, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.RefreshWindow(static_cast<int32_t>(Window), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ScrollText(LONG Direction, LONG Units, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ScrollText(static_cast<int32_t>(Direction), static_cast<int32_t>(Units), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetDescriptor(LONG Descriptor, LONG Attribute, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetDescriptor(static_cast<int32_t>(Descriptor), static_cast<int32_t>(Attribute), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginFiscalDocument(LONG DocumentAmount, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginFiscalDocument(static_cast<int32_t>(DocumentAmount), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginFiscalReceipt(VARIANT_BOOL PrintHeader, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginFiscalReceipt(PrintHeader != VARIANT_FALSE, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginFixedOutput(LONG Station, LONG DocumentType, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginFixedOutput(static_cast<int32_t>(Station), static_cast<int32_t>(DocumentType), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginInsertion(LONG Timeout, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginInsertion(static_cast<int32_t>(Timeout), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginItemList(LONG VatId, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginItemList(static_cast<int32_t>(VatId), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginNonFiscal(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginNonFiscal(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginRemoval(LONG Timeout, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginRemoval(static_cast<int32_t>(Timeout), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::BeginTraining(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.BeginTraining(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ClearError(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ClearError(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndFiscalDocument(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndFiscalDocument(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndFiscalReceipt(VARIANT_BOOL PrintHeader, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndFiscalReceipt(PrintHeader != VARIANT_FALSE, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndFixedOutput(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndFixedOutput(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndInsertion(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndInsertion(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndItemList(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndItemList(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndNonFiscal(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndNonFiscal(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndRemoval(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndRemoval(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EndTraining(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EndTraining(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetData(LONG DataItem, LONG* pOptArgs, BSTR* pData, LONG* pResult) {
  NumberSlot optArgs(pOptArgs, true);
  TextSlot data(pData);
  NumberSlot result(pResult, false);
  printer_.GetData(static_cast<int32_t>(DataItem), optArgs.get(), data.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetDate(BSTR* pDate, LONG* pResult) {
  TextSlot date(pDate);
  NumberSlot result(pResult, false);
  printer_.GetDate(date.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetTotalizer(LONG VatId, LONG OptArgs, BSTR* pData, LONG* pResult) {
  TextSlot data(pData);
  NumberSlot result(pResult, false);
  printer_.GetTotalizer(static_cast<int32_t>(VatId), static_cast<int32_t>(OptArgs), data.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetVatEntry(LONG VatId, LONG OptArgs, LONG* pVatRate, LONG* pResult) {
  NumberSlot vatRate(pVatRate, true);
  NumberSlot result(pResult, false);
  printer_.GetVatEntry(static_cast<int32_t>(VatId), static_cast<int32_t>(OptArgs), vatRate.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintDuplicateReceipt(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintDuplicateReceipt(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintFiscalDocumentLine(BSTR DocumentLine, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintFiscalDocumentLine(Ansi(DocumentLine).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintFixedOutput(LONG DocumentType, LONG LineNumber, BSTR Data, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintFixedOutput(static_cast<int32_t>(DocumentType), static_cast<int32_t>(LineNumber), Ansi(Data).c_str(),
                            result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintNormal(LONG Station, BSTR Data, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintNormal(static_cast<int32_t>(Station), Ansi(Data).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintPeriodicTotalsReport(BSTR Date1, BSTR Date2, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintPeriodicTotalsReport(Ansi(Date1).c_str(), Ansi(Date2).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintPowerLossReport(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintPowerLossReport(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecCash(CY Amount, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecCash(Amount.int64, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItem(BSTR Description, CY Price, LONG Quantity, LONG VatInfo, CY UnitPrice,
                                               BSTR UnitName, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItem(Ansi(Description).c_str(), Price.int64, static_cast<int32_t>(Quantity),
                        static_cast<int32_t>(VatInfo), UnitPrice.int64, Ansi(UnitName).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemAdjustment(LONG AdjustmentType, BSTR Description, CY Amount, LONG VatInfo,
                                                         LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemAdjustment(static_cast<int32_t>(AdjustmentType), Ansi(Description).c_str(), Amount.int64,
                                  static_cast<int32_t>(VatInfo), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemFuel(BSTR Description, CY Price, LONG Quantity, LONG VatInfo,
                                                   CY UnitPrice, BSTR UnitName, CY SpecialTax, BSTR SpecialTaxName,
                                                   LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemFuel(Ansi(Description).c_str(), Price.int64, static_cast<int32_t>(Quantity),
                            static_cast<int32_t>(VatInfo), UnitPrice.int64, Ansi(UnitName).c_str(), SpecialTax.int64,
                            Ansi(SpecialTaxName).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemFuelVoid(BSTR Description, CY Price, LONG VatInfo, CY SpecialTax,
                                                       LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemFuelVoid(Ansi(Description).c_str(), Price.int64, static_cast<int32_t>(VatInfo), SpecialTax.int64,
                                result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecMessage(BSTR Message, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecMessage(Ansi(Message).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecNotPaid(BSTR Description, CY Amount, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecNotPaid(Ansi(Description).c_str(), Amount.int64, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecPackageAdjustment(LONG AdjustmentType, BSTR Description, BSTR VatAdjustment,
                                                            LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecPackageAdjustment(static_cast<int32_t>(AdjustmentType), Ansi(Description).c_str(),
                                     Ansi(VatAdjustment).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecPackageAdjustVoid(LONG AdjustmentType, BSTR VatAdjustment, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecPackageAdjustVoid(static_cast<int32_t>(AdjustmentType), Ansi(VatAdjustment).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecRefund(BSTR Description, CY Amount, LONG VatInfo, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecRefund(Ansi(Description).c_str(), Amount.int64, static_cast<int32_t>(VatInfo), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecRefundVoid(BSTR Description, CY Amount, LONG VatInfo, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecRefundVoid(Ansi(Description).c_str(), Amount.int64, static_cast<int32_t>(VatInfo), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecSubtotal(CY Amount, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecSubtotal(Amount.int64, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecSubtotalAdjustment(LONG AdjustmentType, BSTR Description, CY Amount,
                                                             LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecSubtotalAdjustment(static_cast<int32_t>(AdjustmentType), Ansi(Description).c_str(), Amount.int64,
                                      result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecSubtotalAdjustVoid(LONG AdjustmentType, CY Amount, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecSubtotalAdjustVoid(static_cast<int32_t>(AdjustmentType), Amount.int64, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecTaxID(BSTR TaxId, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecTaxID(Ansi(TaxId).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecTotal(CY Total, CY Payment, BSTR Description, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecTotal(Total.int64, Payment.int64, Ansi(Description).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecVoid(BSTR Description, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecVoid(Ansi(Description).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecVoidItem(BSTR Description, CY Amount, LONG Quantity, LONG AdjustmentType,
                                                   CY Adjustment, LONG VatInfo, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecVoidItem(Ansi(Description).c_str(), Amount.int64, static_cast<int32_t>(Quantity),
                            static_cast<int32_t>(AdjustmentType), Adjustment.int64, static_cast<int32_t>(VatInfo),
                            result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintReport(LONG ReportType, BSTR StartNum, BSTR EndNum, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintReport(static_cast<int32_t>(ReportType), Ansi(StartNum).c_str(), Ansi(EndNum).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintXReport(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintXReport(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintZReport(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintZReport(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ResetPrinter(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ResetPrinter(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetCurrency(LONG NewCurrency, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetCurrency(static_cast<int32_t>(NewCurrency), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetDate(BSTR Date, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetDate(Ansi(Date).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetHeaderLine(LONG LineNumber, BSTR Text, VARIANT_BOOL DoubleWidth, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetHeaderLine(static_cast<int32_t>(LineNumber), Ansi(Text).c_str(), DoubleWidth != VARIANT_FALSE,
                         result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetPOSID(BSTR PosId, BSTR CashierId, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetPOSID(Ansi(PosId).c_str(), Ansi(CashierId).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetStoreFiscalID(BSTR Id, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetStoreFiscalID(Ansi(Id).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetTrailerLine(LONG LineNumber, BSTR Text, VARIANT_BOOL DoubleWidth, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetTrailerLine(static_cast<int32_t>(LineNumber), Ansi(Text).c_str(), DoubleWidth != VARIANT_FALSE,
                          result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetVatTable(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetVatTable(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetVatValue(LONG VatId, BSTR VatValue, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetVatValue(static_cast<int32_t>(VatId), Ansi(VatValue).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::VerifyItem(BSTR ItemName, LONG VatId, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.VerifyItem(Ansi(ItemName).c_str(), static_cast<int32_t>(VatId), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ResetStatistics(BSTR StatisticsBuffer, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ResetStatistics(Ansi(StatisticsBuffer).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::RetrieveStatistics(BSTR* pStatisticsBuffer, LONG* pResult) {
  TextSlot statisticsBuffer(pStatisticsBuffer);
  NumberSlot result(pResult, false);
  printer_.RetrieveStatistics(statisticsBuffer.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::UpdateFirmware(BSTR FirmwareFileName, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.UpdateFirmware(Ansi(FirmwareFileName).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::UpdateStatistics(BSTR StatisticsBuffer, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.UpdateStatistics(Ansi(StatisticsBuffer).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::CompareFirmwareVersion(BSTR FirmwareFileName, LONG* pCompareResult, LONG* pResult) {
  NumberSlot compareResult(pCompareResult, true);
  NumberSlot result(pResult, false);
  printer_.CompareFirmwareVersion(Ansi(FirmwareFileName).c_str(), compareResult.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::DisplayBitmap(BSTR FileName, LONG Width, LONG AlignmentX, LONG AlignmentY,
                                                LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.DisplayBitmap(Ansi(FileName).c_str(), static_cast<int32_t>(Width), static_cast<int32_t>(AlignmentX),
                         static_cast<int32_t>(AlignmentY), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SetBitmap(LONG BitmapNumber, BSTR FileName, LONG Width, LONG AlignmentX,
                                            LONG AlignmentY, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SetBitmap(static_cast<int32_t>(BitmapNumber), Ansi(FileName).c_str(), static_cast<int32_t>(Width),
                     static_cast<int32_t>(AlignmentX), static_cast<int32_t>(AlignmentY), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemAdjustmentVoid(LONG AdjustmentType, BSTR Description, CY Amount,
                                                             LONG VatInfo, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemAdjustmentVoid(static_cast<int32_t>(AdjustmentType), Ansi(Description).c_str(), Amount.int64,
                                      static_cast<int32_t>(VatInfo), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemVoid(BSTR Description, CY Price, LONG Quantity, LONG VatInfo,
                                                   CY UnitPrice, BSTR UnitName, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemVoid(Ansi(Description).c_str(), Price.int64, static_cast<int32_t>(Quantity),
                            static_cast<int32_t>(VatInfo), UnitPrice.int64, Ansi(UnitName).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemRefund(BSTR Description, CY Amount, LONG Quantity, LONG VatInfo,
                                                     CY UnitAmount, BSTR UnitName, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemRefund(Ansi(Description).c_str(), Amount.int64, static_cast<int32_t>(Quantity),
                              static_cast<int32_t>(VatInfo), UnitAmount.int64, Ansi(UnitName).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintRecItemRefundVoid(BSTR Description, CY Amount, LONG Quantity, LONG VatInfo,
                                                         CY UnitAmount, BSTR UnitName, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintRecItemRefundVoid(Ansi(Description).c_str(), Amount.int64, static_cast<int32_t>(Quantity),
                                  static_cast<int32_t>(VatInfo), UnitAmount.int64, Ansi(UnitName).c_str(),
                                  result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetMediumFreeSpace(CY* pFreeSpace, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.GetMediumFreeSpace(pFreeSpace ? &pFreeSpace->int64 : nullptr, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetMediumSize(CY* pSize, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.GetMediumSize(pSize ? &pSize->int64 : nullptr, result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::AddMarker(BSTR Marker, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.AddMarker(Ansi(Marker).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::CancelPrintContent(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.CancelPrintContent(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::CancelQueryContent(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.CancelQueryContent(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::EraseMedium(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.EraseMedium(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::InitializeMedium(BSTR MediumId, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.InitializeMedium(Ansi(MediumId).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintContent(BSTR FromMarker, BSTR ToMarker, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintContent(Ansi(FromMarker).c_str(), Ansi(ToMarker).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::PrintContentFile(BSTR FileName, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.PrintContentFile(Ansi(FileName).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::QueryContent(BSTR FileName, BSTR FromMarker, BSTR ToMarker, LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.QueryContent(Ansi(FileName).c_str(), Ansi(FromMarker).c_str(), Ansi(ToMarker).c_str(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ResumePrintContent(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ResumePrintContent(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::ResumeQueryContent(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.ResumeQueryContent(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::RetrieveCurrentMarker(LONG MarkerType, BSTR* pMarker, LONG* pResult) {
  TextSlot marker(pMarker);
  NumberSlot result(pResult, false);
  printer_.RetrieveCurrentMarker(static_cast<int32_t>(MarkerType), marker.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::RetrieveMarker(LONG MarkerType, LONG SessionNumber, LONG DocumentType, BSTR* pMarker,
                                                 LONG* pResult) {
  TextSlot marker(pMarker);
  NumberSlot result(pResult, false);
  printer_.RetrieveMarker(static_cast<int32_t>(MarkerType), static_cast<int32_t>(SessionNumber),
                          static_cast<int32_t>(DocumentType), marker.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::RetrieveMarkerByDateTime(LONG MarkerType, BSTR DateTime, BSTR MarkerNumber,
                                                           BSTR* pMarker, LONG* pResult) {
  TextSlot marker(pMarker);
  NumberSlot result(pResult, false);
  printer_.RetrieveMarkerByDateTime(static_cast<int32_t>(MarkerType), Ansi(DateTime).c_str(),
                                    Ansi(MarkerNumber).c_str(), marker.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::RetrieveMarkersDateTime(BSTR Marker, BSTR* pDateTime, LONG* pResult) {
  TextSlot dateTime(pDateTime);
  NumberSlot result(pResult, false);
  printer_.RetrieveMarkersDateTime(Ansi(Marker).c_str(), dateTime.get(), result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SuspendPrintContent(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SuspendPrintContent(result.get());
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::SuspendQueryContent(LONG* pResult) {
  NumberSlot result(pResult, false);
  printer_.SuspendQueryContent(result.get());
  return S_OK;
}

}  // namespace kestrel::server
