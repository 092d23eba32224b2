#include "server/TypeLibrary.h"

#include "server/ServerModule.h"

namespace kestrel::server {

HRESULT LoadOwnTypeLibrary(ITypeLib** library) {
  std::wstring path = ModulePath();
  if (path.empty()) return E_FAIL;
  return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library);
}

HRESULT LoadInterfaceTypeInfo(ITypeInfo** typeInfo) {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadOwnTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  hr = library->GetTypeInfoOfGuid(IID_IFiscalPrinter, typeInfo);
  library->Release();
  return hr;
}

}  // namespace kestrel::server
