#include "server/Registration.h"

#include <string>
#include <vector>

#include "server/Identifiers.h"
#include "server/ServerModule.h"
#include "server/TypeLibrary.h"

namespace kestrel::server {
namespace {

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

// One value to write: below key, the named value (empty name = the key's
// default value; no value at all = the key alone).
struct Entry {
  std::wstring key;
  std::wstring name;
  std::wstring value;
  bool hasValue;
};

std::vector<Entry> Entries(const std::wstring& modulePath) {
  const std::wstring clsid = GuidText(CLSID_FiscalPrinter);
  const std::wstring libid = GuidText(LIBID_ZB_KSTRLib);
  const std::wstring classKey = L"CLSID\\" + clsid;
  const std::wstring appIdKey = std::wstring(L"AppID\\") + kAppId;
  const std::wstring moduleAppIdKey = std::wstring(L"AppID\\") + kModuleName;
  const std::wstring progId = kProgId;
  const std::wstring independent = kVersionIndependentProgId;
  return {
      {appIdKey, L"", kAppName, true},
      {moduleAppIdKey, L"AppID", kAppId, true},
      {progId, L"", kClassName, true},
      {progId + L"\\CLSID", L"", clsid, true},
      {independent, L"", kClassName, true},
      {independent + L"\\CLSID", L"", clsid, true},
      {independent + L"\\CurVer", L"", progId, true},
      {classKey, L"", kClassName, true},
      {classKey, L"AppID", kAppId, true},
      {classKey + L"\\ProgID", L"", progId, true},
      {classKey + L"\\VersionIndependentProgID", L"", independent, true},
      {classKey + L"\\Programmable", L"", L"", false},
      {classKey + L"\\InprocServer32", L"", modulePath, true},
      {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment", true},
      {classKey + L"\\TypeLib", L"", libid, true},
  };
}

// The keys whose whole trees unregistration removes.
std::vector<std::wstring> OwnKeys() {
  return {L"CLSID\\" + GuidText(CLSID_FiscalPrinter), kProgId, kVersionIndependentProgId,
          std::wstring(L"AppID\\") + kAppId, std::wstring(L"AppID\\") + kModuleName};
}

LONG Write(const Entry& entry) {
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                              nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  if (entry.hasValue) {
    DWORD bytes = static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t));
    rc = ::RegSetValueExW(key, entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(entry.value.c_str()), bytes);
  }
  ::RegCloseKey(key);
  return rc;
}

SYSKIND OwnSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

HRESULT RegisterServer() {
  std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;

  ITypeLib* library = nullptr;
  if (FAILED(LoadOwnTypeLibrary(&library))) return SELFREG_E_TYPELIB;
  HRESULT hr = ::RegisterTypeLib(library, &path[0], nullptr);
  library->Release();
  if (FAILED(hr)) return SELFREG_E_TYPELIB;

  for (const Entry& entry : Entries(path)) {
    if (Write(entry) != ERROR_SUCCESS) {
      UnregisterServer();  // leave nothing half written
      return SELFREG_E_CLASS;
    }
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  HRESULT result = S_OK;
  for (const std::wstring& key : OwnKeys()) {
    LONG rc = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) result = SELFREG_E_CLASS;
  }
  // A library that was never registered is not an error either.
  HRESULT hr = ::UnRegisterTypeLib(LIBID_ZB_KSTRLib, kTypeLibMajor, kTypeLibMinor, LANG_NEUTRAL, OwnSysKind());
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED && result == S_OK) {
    result = SELFREG_E_TYPELIB;
  }
  return result;
}

}  // namespace kestrel::server
