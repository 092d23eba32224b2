#include "server/Registration.h"

#include <string>
#include <vector>

#include "server/RegistrationTable.h"
#include "server/ServerModule.h"
#include "server/TypeLibrary.h"

namespace kestrel::server {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], length, nullptr, nullptr);
  }
  return utf8;
}

LONG Write(const RegistrationRow& row) {
  HKEY key = nullptr;
  const std::wstring keyName = Wide(row.key);
  LONG rc = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                              nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  if (row.hasValue) {
    const std::wstring name = Wide(row.name);
    const std::wstring value = Wide(row.value);
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    rc = ::RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  }
  ::RegCloseKey(key);
  return rc;
}

SYSKIND OwnSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

HRESULT RegisterServer() {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;

  // A DLL whose type library does not load would be registered in vain.
  ITypeLib* library = nullptr;
  if (FAILED(LoadOwnTypeLibrary(&library))) return SELFREG_E_TYPELIB;
  library->Release();

  for (const RegistrationRow& row : RegistrationRows(Utf8(path), sizeof(void*) == 8 ? 64 : 32)) {
    if (Write(row) != ERROR_SUCCESS) {
      UnregisterServer();  // leave nothing half written
      return SELFREG_E_CLASS;
    }
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  HRESULT result = S_OK;
  for (const std::string& key : OwnKeyTrees()) {
    LONG rc = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, Wide(key).c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) result = SELFREG_E_CLASS;
  }
  // The system's own unregistration removes this word size's entry of the
  // library and its interface, and the library's keys once no other word
  // size is registered. A library that was never registered is no error.
  HRESULT hr = ::UnRegisterTypeLib(LIBID_ZB_KSTRLib, kTypeLibMajor, kTypeLibMinor, LANG_NEUTRAL, OwnSysKind());
  if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED && result == S_OK) {
    result = SELFREG_E_TYPELIB;
  }
  return result;
}

}  // namespace kestrel::server
