#pragma once
// Identifiers of the server that the type library does not carry. The class,
// interface and library identifiers come from ZB_KSTR.idl (CLSID_FiscalPrinter,
// IID_IFiscalPrinter, LIBID_ZB_KSTRLib); they and these never change, or
// registered installations and compiled clients would lose the server.
namespace kestrel::server {

constexpr const wchar_t* kAppId = L"{37283439-3261-4D8A-ADDA-1A8DC198514F}";
constexpr const wchar_t* kAppName = L"ZB_KSTR";
constexpr const wchar_t* kModuleName = L"ZB_KSTR.DLL";
constexpr const wchar_t* kClassName = L"FiscalPrinter Class";
constexpr const wchar_t* kProgId = L"ZB_KSTR.FiscalPrinter.1";
constexpr const wchar_t* kVersionIndependentProgId = L"ZB_KSTR.FiscalPrinter";
constexpr unsigned short kTypeLibMajor = 1;
constexpr unsigned short kTypeLibMinor = 0;

}  // namespace kestrel::server
