#pragma once
// Everything the server's registration writes below HKEY_CLASSES_ROOT, as one
// table: DllRegisterServer writes these rows, and the installer packages are
// generated from the same rows at build time, so the two cannot differ.
// Plain C++ without Windows headers, so that a program on the build machine
// can print the rows.
#include <string>
#include <vector>

namespace kestrel::server {

// Identifiers that registered installations and compiled clients rely on:
// they never change. The class, interface and library identifiers are also
// written in ZB_KSTR.idl; a Windows test checks that both agree.
inline constexpr char kClsidText[] = "{1FE7F6C6-C15F-42D7-95BE-FA392D3E2896}";
inline constexpr char kLibIdText[] = "{1D71A79B-EA2F-486E-92DC-3DC180F9C42B}";
inline constexpr char kInterfaceIdText[] = "{C8F8B98A-B98B-4F8C-A30B-D355CD7A1A66}";
inline constexpr char kAppIdText[] = "{37283439-3261-4D8A-ADDA-1A8DC198514F}";
inline constexpr char kAppName[] = "ZB_KSTR";
inline constexpr char kModuleName[] = "ZB_KSTR.DLL";
inline constexpr char kClassName[] = "FiscalPrinter Class";
inline constexpr char kProgId[] = "ZB_KSTR.FiscalPrinter.1";
inline constexpr char kVersionIndependentProgId[] = "ZB_KSTR.FiscalPrinter";
inline constexpr char kInterfaceName[] = "IFiscalPrinter";
// What the type library says of itself: its help string and library flags
// (LIBFLAG_FHASDISKIMAGE), as the registry lists them.
inline constexpr char kTypeLibDescription[] = "ZB_KSTR 1.0 Type Library";
inline constexpr char kTypeLibFlags[] = "8";
inline constexpr unsigned short kTypeLibMajor = 1;
inline constexpr unsigned short kTypeLibMinor = 0;
// Automation's own marshaller for dual interfaces (PSOAInterface).
inline constexpr char kAutomationProxyStub[] = "{00020424-0000-0000-C000-000000000046}";

// One row: below key, the named value (empty name: the key's default value)
// holding value; a row without a value only makes sure the key exists.
struct RegistrationRow {
  std::string key;
  std::string name;
  std::string value;
  bool hasValue = true;
};

// The rows for a DLL at modulePath (UTF-8) built for a word size of 32 or 64
// bits, in the order they are written.
std::vector<RegistrationRow> RegistrationRows(const std::string& modulePath, int wordBits);

// The keys whose whole trees unregistration removes (the type library's keys
// are left to the system's own unregistration, which knows about the other
// word size's registration of the same library).
std::vector<std::string> OwnKeyTrees();

}  // namespace kestrel::server
