#pragma once
// The COM object: IFiscalPrinter around one kestrel::FiscalPrinter. Every
// interface method converts its arguments, forwards to the service method of
// the same name and answers S_OK; the result code travels in the last
// argument. IDispatch is served from the embedded type library.
#include "server/ComHeaders.h"
#include "server/ControlObjectSink.h"
#include "service/FiscalPrinter.h"

namespace kestrel::server {

class FiscalPrinterObject final : public IFiscalPrinter {
 public:
  // Creates an object with one reference, or answers the failure.
  static HRESULT Create(REFIID iid, void** object);

  // ---- IUnknown ----
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // ---- IDispatch ----
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

  // ---- IFiscalPrinter ----
  STDMETHODIMP ClaimDevice(LONG Timeout, LONG* pResult) override;
  STDMETHODIMP CheckHealth(LONG Level, LONG* pResult) override;
  STDMETHODIMP CloseService(LONG* pResult) override;
  STDMETHODIMP OpenService(BSTR DeviceClass, BSTR DeviceName, IDispatch* ControlObject, LONG* pResult) override;
  STDMETHODIMP ReleaseDevice(LONG* pResult) override;
  STDMETHODIMP GetPropertyNumber(LONG Index, LONG* pNumber) override;
  STDMETHODIMP GetPropertyString(LONG Index, BSTR* pText) override;
  STDMETHODIMP SetPropertyNumber(LONG Index, LONG Number) override;
  STDMETHODIMP SetPropertyString(LONG Index, BSTR Text) override;
  STDMETHODIMP COFreezeEvents(VARIANT_BOOL Freeze, LONG* pResult) override;
  STDMETHODIMP DirectIO(LONG Command, LONG* pData, BSTR* pText, LONG* pResult) override;
  STDMETHODIMP ClearInput(LONG* pResult) override;
  STDMETHODIMP ClearOutput(LONG* pResult) override;
  STDMETHODIMP OpenDrawer(LONG* pResult) override;
  STDMETHODIMP WaitForDrawerClose(LONG BeepTimeout, LONG BeepFrequency, LONG BeepDuration, LONG BeepDelay,
                                  LONG* pResult) override;
  STDMETHODIMP ClearDescriptors(LONG* pResult) override;
  STDMETHODIMP ClearText(LONG* pResult) override;
  STDMETHODIMP CreateWindow(LONG ViewportRow, LONG ViewportColumn, LONG ViewportHeight, LONG ViewportWidth,
                            LONG WindowHeight, LONG WindowWidth, LONG* pResult) override;
  STDMETHODIMP DefineGlyph(LONG GlyphCode, BSTR Glyph, LONG* pResult) override;
  STDMETHODIMP DestroyWindow(LONG* pResult) override;
  STDMETHODIMP DisplayText(BSTR Data, LONG Attribute, LONG* pResult) override;
  STDMETHODIMP DisplayTextAt(LONG Row, LONG Column, BSTR Data, LONG Attribute, LONG* pResult) override;
  STDMETHODIMP ReadCharacterAtCursor(LONG* pCharacter, LONG* pResult) override;
  STDMETHODIMP RefreshWindow(LONG Window, LONG* pResult) override;
  STDMETHODIMP ScrollText(LONG Direction, LONG Units, LONG* pResult) override;
  STDMETHODIMP SetDescriptor(LONG Descriptor, LONG Attribute, LONG* pResult) override;
  STDMETHODIMP BeginFiscalDocument(LONG DocumentAmount, LONG* pResult) override;
  STDMETHODIMP BeginFiscalReceipt(VARIANT_BOOL PrintHeader, LONG* pResult) override;
  STDMETHODIMP BeginFixedOutput(LONG Station, LONG DocumentType, LONG* pResult) override;
  STDMETHODIMP BeginInsertion(LONG Timeout, LONG* pResult) override;
  STDMETHODIMP BeginItemList(LONG VatId, LONG* pResult) override;
  STDMETHODIMP BeginNonFiscal(LONG* pResult) override;
  STDMETHODIMP BeginRemoval(LONG Timeout, LONG* pResult) override;
  STDMETHODIMP BeginTraining(LONG* pResult) override;
  STDMETHODIMP ClearError(LONG* pResult) override;
  STDMETHODIMP EndFiscalDocument(LONG* pResult) override;
  STDMETHODIMP EndFiscalReceipt(VARIANT_BOOL PrintHeader, LONG* pResult) override;
  STDMETHODIMP EndFixedOutput(LONG* pResult) override;
  STDMETHODIMP EndInsertion(LONG* pResult) override;
  STDMETHODIMP EndItemList(LONG* pResult) override;
  STDMETHODIMP EndNonFiscal(LONG* pResult) override;
  STDMETHODIMP EndRemoval(LONG* pResult) override;
  STDMETHODIMP EndTraining(LONG* pResult) override;
  STDMETHODIMP GetData(LONG DataItem, LONG* pOptArgs, BSTR* pData, LONG* pResult) override;
  STDMETHODIMP GetDate(BSTR* pDate, LONG* pResult) override;
  STDMETHODIMP GetTotalizer(LONG VatId, LONG OptArgs, BSTR* pData, LONG* pResult) override;
  STDMETHODIMP GetVatEntry(LONG VatId, LONG OptArgs, LONG* pVatRate, LONG* pResult) override;
  STDMETHODIMP PrintDuplicateReceipt(LONG* pResult) override;
  STDMETHODIMP PrintFiscalDocumentLine(BSTR DocumentLine, LONG* pResult) override;
  STDMETHODIMP PrintFixedOutput(LONG DocumentType, LONG LineNumber, BSTR Data, LONG* pResult) override;
  STDMETHODIMP PrintNormal(LONG Station, BSTR Data, LONG* pResult) override;
  STDMETHODIMP PrintPeriodicTotalsReport(BSTR Date1, BSTR Date2, LONG* pResult) override;
  STDMETHODIMP PrintPowerLossReport(LONG* pResult) override;
  STDMETHODIMP PrintRecCash(CY Amount, LONG* pResult) override;
  STDMETHODIMP PrintRecItem(BSTR Description, CY Price, LONG Quantity, LONG VatInfo, CY UnitPrice, BSTR UnitName,
                            LONG* pResult) override;
  STDMETHODIMP PrintRecItemAdjustment(LONG AdjustmentType, BSTR Description, CY Amount, LONG VatInfo,
                                      LONG* pResult) override;
  STDMETHODIMP PrintRecItemFuel(BSTR Description, CY Price, LONG Quantity, LONG VatInfo, CY UnitPrice, BSTR UnitName,
                                CY SpecialTax, BSTR SpecialTaxName, LONG* pResult) override;
  STDMETHODIMP PrintRecItemFuelVoid(BSTR Description, CY Price, LONG VatInfo, CY SpecialTax, LONG* pResult) override;
  STDMETHODIMP PrintRecMessage(BSTR Message, LONG* pResult) override;
  STDMETHODIMP PrintRecNotPaid(BSTR Description, CY Amount, LONG* pResult) override;
  STDMETHODIMP PrintRecPackageAdjustment(LONG AdjustmentType, BSTR Description, BSTR VatAdjustment,
                                         LONG* pResult) override;
  STDMETHODIMP PrintRecPackageAdjustVoid(LONG AdjustmentType, BSTR VatAdjustment, LONG* pResult) override;
  STDMETHODIMP PrintRecRefund(BSTR Description, CY Amount, LONG VatInfo, LONG* pResult) override;
  STDMETHODIMP PrintRecRefundVoid(BSTR Description, CY Amount, LONG VatInfo, LONG* pResult) override;
  STDMETHODIMP PrintRecSubtotal(CY Amount, LONG* pResult) override;
  STDMETHODIMP PrintRecSubtotalAdjustment(LONG AdjustmentType, BSTR Description, CY Amount, LONG* pResult) override;
  STDMETHODIMP PrintRecSubtotalAdjustVoid(LONG AdjustmentType, CY Amount, LONG* pResult) override;
  STDMETHODIMP PrintRecTaxID(BSTR TaxId, LONG* pResult) override;
  STDMETHODIMP PrintRecTotal(CY Total, CY Payment, BSTR Description, LONG* pResult) override;
  STDMETHODIMP PrintRecVoid(BSTR Description, LONG* pResult) override;
  STDMETHODIMP PrintRecVoidItem(BSTR Description, CY Amount, LONG Quantity, LONG AdjustmentType, CY Adjustment,
                                LONG VatInfo, LONG* pResult) override;
  STDMETHODIMP PrintReport(LONG ReportType, BSTR StartNum, BSTR EndNum, LONG* pResult) override;
  STDMETHODIMP PrintXReport(LONG* pResult) override;
  STDMETHODIMP PrintZReport(LONG* pResult) override;
  STDMETHODIMP ResetPrinter(LONG* pResult) override;
  STDMETHODIMP SetCurrency(LONG NewCurrency, LONG* pResult) override;
  STDMETHODIMP SetDate(BSTR Date, LONG* pResult) override;
  STDMETHODIMP SetHeaderLine(LONG LineNumber, BSTR Text, VARIANT_BOOL DoubleWidth, LONG* pResult) override;
  STDMETHODIMP SetPOSID(BSTR PosId, BSTR CashierId, LONG* pResult) override;
  STDMETHODIMP SetStoreFiscalID(BSTR Id, LONG* pResult) override;
  STDMETHODIMP SetTrailerLine(LONG LineNumber, BSTR Text, VARIANT_BOOL DoubleWidth, LONG* pResult) override;
  STDMETHODIMP SetVatTable(LONG* pResult) override;
  STDMETHODIMP SetVatValue(LONG VatId, BSTR VatValue, LONG* pResult) override;
  STDMETHODIMP VerifyItem(BSTR ItemName, LONG VatId, LONG* pResult) override;
  STDMETHODIMP ResetStatistics(BSTR StatisticsBuffer, LONG* pResult) override;
  STDMETHODIMP RetrieveStatistics(BSTR* pStatisticsBuffer, LONG* pResult) override;
  STDMETHODIMP UpdateFirmware(BSTR FirmwareFileName, LONG* pResult) override;
  STDMETHODIMP UpdateStatistics(BSTR StatisticsBuffer, LONG* pResult) override;
  STDMETHODIMP CompareFirmwareVersion(BSTR FirmwareFileName, LONG* pCompareResult, LONG* pResult) override;
  STDMETHODIMP DisplayBitmap(BSTR FileName, LONG Width, LONG AlignmentX, LONG AlignmentY, LONG* pResult) override;
  STDMETHODIMP SetBitmap(LONG BitmapNumber, BSTR FileName, LONG Width, LONG AlignmentX, LONG AlignmentY,
                         LONG* pResult) override;
  STDMETHODIMP PrintRecItemAdjustmentVoid(LONG AdjustmentType, BSTR Description, CY Amount, LONG VatInfo,
                                          LONG* pResult) override;
  STDMETHODIMP PrintRecItemVoid(BSTR Description, CY Price, LONG Quantity, LONG VatInfo, CY UnitPrice, BSTR UnitName,
                                LONG* pResult) override;
  STDMETHODIMP PrintRecItemRefund(BSTR Description, CY Amount, LONG Quantity, LONG VatInfo, CY UnitAmount,
                                  BSTR UnitName, LONG* pResult) override;
  STDMETHODIMP PrintRecItemRefundVoid(BSTR Description, CY Amount, LONG Quantity, LONG VatInfo, CY UnitAmount,
                                      BSTR UnitName, LONG* pResult) override;
  STDMETHODIMP GetMediumFreeSpace(CY* pFreeSpace, LONG* pResult) override;
  STDMETHODIMP GetMediumSize(CY* pSize, LONG* pResult) override;
  STDMETHODIMP AddMarker(BSTR Marker, LONG* pResult) override;
  STDMETHODIMP CancelPrintContent(LONG* pResult) override;
  STDMETHODIMP CancelQueryContent(LONG* pResult) override;
  STDMETHODIMP EraseMedium(LONG* pResult) override;
  STDMETHODIMP InitializeMedium(BSTR MediumId, LONG* pResult) override;
  STDMETHODIMP PrintContent(BSTR FromMarker, BSTR ToMarker, LONG* pResult) override;
  STDMETHODIMP PrintContentFile(BSTR FileName, LONG* pResult) override;
  STDMETHODIMP QueryContent(BSTR FileName, BSTR FromMarker, BSTR ToMarker, LONG* pResult) override;
  STDMETHODIMP ResumePrintContent(LONG* pResult) override;
  STDMETHODIMP ResumeQueryContent(LONG* pResult) override;
  STDMETHODIMP RetrieveCurrentMarker(LONG MarkerType, BSTR* pMarker, LONG* pResult) override;
  STDMETHODIMP RetrieveMarker(LONG MarkerType, LONG SessionNumber, LONG DocumentType, BSTR* pMarker,
                              LONG* pResult) override;
  STDMETHODIMP RetrieveMarkerByDateTime(LONG MarkerType, BSTR DateTime, BSTR MarkerNumber, BSTR* pMarker,
                                        LONG* pResult) override;
  STDMETHODIMP RetrieveMarkersDateTime(BSTR Marker, BSTR* pDateTime, LONG* pResult) override;
  STDMETHODIMP SuspendPrintContent(LONG* pResult) override;
  STDMETHODIMP SuspendQueryContent(LONG* pResult) override;

 private:
  explicit FiscalPrinterObject(ITypeInfo* typeInfo);
  ~FiscalPrinterObject();
  FiscalPrinterObject(const FiscalPrinterObject&) = delete;
  FiscalPrinterObject& operator=(const FiscalPrinterObject&) = delete;

  LONG references_ = 1;
  ITypeInfo* typeInfo_;  // owned reference
  ControlObjectSink sink_;
  kestrel::FiscalPrinter printer_;
};

}  // namespace kestrel::server
