// A day at the till through the COM server, driven the way the standard
// OPOS Control Object drives a service object: ProgID from the device's
// registry key, CoCreateInstance, every name resolved in the interface's
// order, OpenService with the client's own dispatch interface, version
// check, then every call through IDispatch::Invoke. Runs against the virtual
// printer that scripts/test-windows starts on a pseudo-terminal mapped as a
// COM port; the script checks the printer's paper afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ControlObject.h"
#include "DispatchCaller.h"

namespace kestrel::wintest {
namespace {

// The interface's methods in the order the Control Object resolves them.
// clang-format off
const std::vector<std::wstring> kMethodNames = {
    L"ClaimDevice", L"CheckHealth", L"CloseService", L"OpenService", L"ReleaseDevice", L"GetPropertyNumber",
    L"GetPropertyString", L"SetPropertyNumber", L"SetPropertyString", L"COFreezeEvents", L"DirectIO", L"ClearInput",
    L"ClearOutput", L"OpenDrawer", L"WaitForDrawerClose", L"ClearDescriptors", L"ClearText", L"CreateWindow",
    L"DefineGlyph", L"DestroyWindow", L"DisplayText", L"DisplayTextAt", L"ReadCharacterAtCursor", L"RefreshWindow",
    L"ScrollText", L"SetDescriptor", L"BeginFiscalDocument", L"BeginFiscalReceipt", L"BeginFixedOutput",
    L"BeginInsertion", L"BeginItemList", L"BeginNonFiscal", L"BeginRemoval", L"BeginTraining", L"ClearError",
    L"EndFiscalDocument", L"EndFiscalReceipt", L"EndFixedOutput", L"EndInsertion", L"EndItemList", L"EndNonFiscal",
    L"EndRemoval", L"EndTraining", L"GetData", L"GetDate", L"GetTotalizer", L"GetVatEntry",
    L"PrintDuplicateReceipt", L"PrintFiscalDocumentLine", L"PrintFixedOutput", L"PrintNormal",
    L"PrintPeriodicTotalsReport", L"PrintPowerLossReport", L"PrintRecCash", L"PrintRecItem",
    L"PrintRecItemAdjustment", L"PrintRecItemFuel", L"PrintRecItemFuelVoid", L"PrintRecMessage", L"PrintRecNotPaid",
    L"PrintRecPackageAdjustment", L"PrintRecPackageAdjustVoid", L"PrintRecRefund", L"PrintRecRefundVoid",
    L"PrintRecSubtotal", L"PrintRecSubtotalAdjustment", L"PrintRecSubtotalAdjustVoid", L"PrintRecTaxID",
    L"PrintRecTotal", L"PrintRecVoid", L"PrintRecVoidItem", L"PrintReport", L"PrintXReport", L"PrintZReport",
    L"ResetPrinter", L"SetCurrency", L"SetDate", L"SetHeaderLine", L"SetPOSID", L"SetStoreFiscalID",
    L"SetTrailerLine", L"SetVatTable", L"SetVatValue", L"VerifyItem", L"ResetStatistics", L"RetrieveStatistics",
    L"UpdateFirmware", L"UpdateStatistics", L"CompareFirmwareVersion", L"DisplayBitmap", L"SetBitmap",
    L"PrintRecItemAdjustmentVoid", L"PrintRecItemVoid", L"PrintRecItemRefund", L"PrintRecItemRefundVoid",
    L"GetMediumFreeSpace", L"GetMediumSize", L"AddMarker", L"CancelPrintContent", L"CancelQueryContent",
    L"EraseMedium", L"InitializeMedium", L"PrintContent", L"PrintContentFile", L"QueryContent",
    L"ResumePrintContent", L"ResumeQueryContent", L"RetrieveCurrentMarker", L"RetrieveMarker",
    L"RetrieveMarkerByDateTime", L"RetrieveMarkersDateTime", L"SuspendPrintContent", L"SuspendQueryContent"};
// clang-format on

constexpr long kPidxDeviceEnabled = 3;
constexpr long kPidxFreezeEvents = 4;
constexpr long kPidxResultCode = 6;
constexpr long kPidxServiceObjectVersion = 8;
constexpr long kPidxState = 9;
constexpr long kPidxErrorString = 1016001;
constexpr long kCoverOpen = 11;  // FPTR_SUE_COVER_OPEN
constexpr long kPaperOk = 26;    // FPTR_SUE_REC_PAPEROK
constexpr long kExtCoverOpen = 201;

std::string Env(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

std::wstring Wide(const std::string& text) {
  int length = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}

// The ProgID is the default value of the device's key, as the Control
// Object finds it.
std::wstring ProgIdOfDevice(const std::wstring& device) {
  std::wstring key = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\FiscalPrinter\\" + device;
  wchar_t value[256] = {};
  DWORD bytes = sizeof value - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
      ERROR_SUCCESS) {
    return std::wstring();
  }
  return value;
}

void PumpMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// A line for the virtual printer's control FIFO (cover, paper, ...).
bool TellPrinter(const std::string& line) {
  std::string path = Env("KESTREL_VPRINTER_CONTROL", "");
  if (path.empty()) return false;
  FILE* fifo = std::fopen(path.c_str(), "w");
  if (fifo == nullptr) return false;
  std::fprintf(fifo, "%s\n", line.c_str());
  std::fclose(fifo);
  ::Sleep(300);  // the printer reads its control lines between exchanges
  return true;
}

class WholeDay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    device_ = Wide(Env("KESTREL_DEVICE_NAME", "ZB_Tarnel.COM"));
  }
  void TearDown() override {
    if (service_) service_->Release();
    ::CoUninitialize();
  }

  // Creates the service the Control Object's way; false with a message.
  ::testing::AssertionResult Create() {
    std::wstring progId = ProgIdOfDevice(device_);
    if (progId.empty()) return ::testing::AssertionFailure() << "no ProgID under the device's key";
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(progId.c_str(), &clsid))) return ::testing::AssertionFailure() << "CLSIDFromProgID";
    IUnknown* unknown = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (FAILED(hr)) return ::testing::AssertionFailure() << "CoCreateInstance " << std::hex << hr;
    hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&service_));
    unknown->Release();
    if (FAILED(hr)) return ::testing::AssertionFailure() << "no IDispatch";
    return ::testing::AssertionSuccess();
  }

  long Call(const std::wstring& name, const std::vector<Arg>& args = {}) {
    long code = caller_->Call(name, args);
    PumpMessages();
    return code;
  }
  long Number(long index) { return Call(L"GetPropertyNumber", {Arg::Number(index)}); }
  // The setters answer nothing; what they recorded is read back as ResultCode.
  long SetNumber(long index, long value) {
    HRESULT hr = caller_->CallVoid(L"SetPropertyNumber", {Arg::Number(index), Arg::Number(value)});
    PumpMessages();
    return FAILED(hr) ? hr : Number(kPidxResultCode);
  }

  std::wstring device_;
  IDispatch* service_ = nullptr;
  ControlObject controlObject_;
  std::unique_ptr<DispatchCaller> caller_;
};

TEST_F(WholeDay, OpensSellsReportsAndSavesTheJournal) {
  ASSERT_EQ(1250u, ::GetACP()) << "run Wine under a Slovak locale (LANG=sk_SK.UTF-8)";
  ASSERT_TRUE(Create());
  caller_ = std::make_unique<DispatchCaller>(service_);
  ASSERT_EQ(L"", caller_->ResolveAll(kMethodNames)) << "a 1.12 service must resolve every name";
  {
    // Names are found without regard to case.
    DispatchCaller other(service_);
    ASSERT_EQ(L"", other.ResolveAll({L"printrecitem"}));
    EXPECT_EQ(caller_->Id(L"PrintRecItem"), other.Id(L"printrecitem"));
  }

  controlObject_.service = service_;
  ASSERT_EQ(0, Call(L"OpenService", {Arg::Text(L"FiscalPrinter"), Arg::Text(device_), Arg::Dispatch(&controlObject_)}));
  long version = Number(kPidxServiceObjectVersion);
  ASSERT_EQ(1, version / 1000000) << version;
  ASSERT_EQ(12, version / 1000 % 1000) << version;

  // Unsupported: 106, and the Slovak text comes back through the ANSI code page.
  EXPECT_EQ(106, Call(L"ClearOutput"));
  EXPECT_EQ(L"Nepodporované", caller_->CallText(L"GetPropertyString", {Arg::Number(kPidxErrorString)}));

  ASSERT_EQ(0, Call(L"ClaimDevice", {Arg::Number(1000)}));
  ASSERT_EQ(0, SetNumber(kPidxDeviceEnabled, 1));
  ASSERT_EQ(1, Number(kPidxDeviceEnabled)) << "the printer did not answer";
  ASSERT_EQ(0, SetNumber(kPidxFreezeEvents, 0));
  EXPECT_EQ(0, Number(kPidxFreezeEvents));

  // In/out arguments: the receipt identifier stored and read back.
  long data = 0;
  BSTR text = ::SysAllocString(L"ID-4711");
  EXPECT_EQ(0, Call(L"DirectIO", {Arg::Number(152), Arg::NumberRef(&data), Arg::TextRef(&text)}));
  data = 1;
  ::SysFreeString(text);
  text = ::SysAllocString(L"");
  EXPECT_EQ(0, Call(L"DirectIO", {Arg::Number(152), Arg::NumberRef(&data), Arg::TextRef(&text)}));
  EXPECT_STREQ(L"ID-4711", text);
  data = 0;
  ::SysFreeString(text);
  text = ::SysAllocString(L"");
  EXPECT_EQ(0, Call(L"DirectIO", {Arg::Number(152), Arg::NumberRef(&data), Arg::TextRef(&text)}));
  ::SysFreeString(text);

  // A receipt with Slovak diacritics; the script finds the words on the paper.
  ASSERT_EQ(0, Call(L"BeginFiscalReceipt", {Arg::Flag(true)}));
  EXPECT_EQ(0, Call(L"PrintRecItem", {Arg::Text(L"Rožok grahamový"), Arg::Currency(6000), Arg::Number(40000),
                                      Arg::Number(2), Arg::Currency(1500), Arg::Text(L"ks")}));
  EXPECT_EQ(0, Call(L"PrintRecItem", {Arg::Text(L"Čučoriedky ľadové"), Arg::Currency(24900), Arg::Number(10000),
                                      Arg::Number(1), Arg::Currency(24900), Arg::Text(L"")}));
  EXPECT_EQ(0, Call(L"PrintRecSubtotal", {Arg::Currency(0)}));
  EXPECT_EQ(0, Call(L"PrintRecMessage", {Arg::Text(L"Ďakujeme, príďte zas")}));
  EXPECT_EQ(0, Call(L"PrintRecTotal", {Arg::Currency(30900), Arg::Currency(50000), Arg::Text(L"1")}));
  ASSERT_EQ(0, Call(L"EndFiscalReceipt", {Arg::Flag(false)}));

  BSTR when = ::SysAllocString(L"");
  EXPECT_EQ(0, Call(L"GetDate", {Arg::TextRef(&when)}));
  EXPECT_EQ(12u, ::SysStringLen(when)) << "ddmmyyyyhhmm";
  ::SysFreeString(when);

  // A status event: the cover opens, a health check notices it.
  ASSERT_TRUE(TellPrinter("cover open")) << "no control line to the printer";
  EXPECT_EQ(kExtCoverOpen, Call(L"CheckHealth", {Arg::Number(1)}));
  ASSERT_EQ(1u, controlObject_.events.size());
  EXPECT_EQ(VT_INT, controlObject_.events[0].type);
  EXPECT_EQ(kCoverOpen, controlObject_.events[0].status);
  // The handler's property read was answered at once, not queued behind
  // the call that fired the event.
  ASSERT_EQ(1u, controlObject_.statesReadInHandler.size());
  EXPECT_EQ(VT_I4, controlObject_.statesReadInHandler[0].type);
  TellPrinter("cover closed");
  EXPECT_EQ(0, Call(L"CheckHealth", {Arg::Number(1)}));

  // A non-fiscal document, the X and Z reports.
  ASSERT_EQ(0, Call(L"BeginNonFiscal"));
  EXPECT_EQ(0, Call(L"PrintNormal", {Arg::Number(2), Arg::Text(L"Nefiškálny doklad: ťažké čísla")}));
  EXPECT_EQ(0, Call(L"EndNonFiscal"));
  EXPECT_EQ(0, Call(L"PrintXReport"));
  EXPECT_EQ(0, Call(L"PrintZReport"));
  // The next document after the cover closed reported the paper ready again.
  ASSERT_LE(2u, controlObject_.events.size());
  EXPECT_EQ(kPaperOk, controlObject_.events[1].status);

  // The journal, saved under a name of the application's choosing: the
  // text half as <name>.txt, the binary half as <name>.bin.
  std::string journal = Env("KESTREL_JOURNAL_FILE", "C:\\kestrel-journal");
  for (const char* half : {".txt", ".bin"}) ::DeleteFileA((journal + half).c_str());
  EXPECT_EQ(0, Call(L"QueryContent", {Arg::Text(Wide(journal)), Arg::Text(L""), Arg::Text(L"")}));
  for (const char* half : {".txt", ".bin"}) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    EXPECT_TRUE(::GetFileAttributesExA((journal + half).c_str(), GetFileExInfoStandard, &attributes))
        << journal << half;
  }

  EXPECT_EQ(0, SetNumber(kPidxDeviceEnabled, 0));
  EXPECT_EQ(0, Call(L"ReleaseDevice"));
  EXPECT_EQ(0, Call(L"CloseService"));
  EXPECT_EQ(1, Number(kPidxState));  // OPOS_S_CLOSED
}

}  // namespace
}  // namespace kestrel::wintest
