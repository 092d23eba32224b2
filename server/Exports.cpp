// The four entry points of the in-process server, exported undecorated
// through ZB_KSTR.def.
#include "server/ClassFactory.h"
#include "server/Registration.h"
#include "server/ServerModule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    kestrel::server::SetModuleHandle(instance);
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return kestrel::server::CanUnload() ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_FiscalPrinter)) return CLASS_E_CLASSNOTAVAILABLE;
  return kestrel::server::TheClassFactory().QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return kestrel::server::RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return kestrel::server::UnregisterServer(); }
