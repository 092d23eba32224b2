#include "server/FiscalPrinterObject.h"

#include <new>

#include "server/ServerModule.h"
#include "server/TypeLibrary.h"

namespace kestrel::server {

HRESULT FiscalPrinterObject::Create(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  ITypeInfo* typeInfo = nullptr;
  HRESULT hr = LoadInterfaceTypeInfo(&typeInfo);
  if (FAILED(hr)) return hr;
  auto* created = new (std::nothrow) FiscalPrinterObject(typeInfo);
  if (created == nullptr) {
    typeInfo->Release();
    return E_OUTOFMEMORY;
  }
  hr = created->QueryInterface(iid, object);
  created->Release();  // the caller's reference is the one QueryInterface took
  return hr;
}

FiscalPrinterObject::FiscalPrinterObject(ITypeInfo* typeInfo) : typeInfo_(typeInfo) { ObjectCreated(); }

FiscalPrinterObject::~FiscalPrinterObject() {
  typeInfo_->Release();
  ObjectDestroyed();
}

STDMETHODIMP FiscalPrinterObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IFiscalPrinter)) {
    *object = static_cast<IFiscalPrinter*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) FiscalPrinterObject::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) FiscalPrinterObject::Release() {
  LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP FiscalPrinterObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP FiscalPrinterObject::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) return E_POINTER;
  *typeInfo = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  typeInfo_->AddRef();
  *typeInfo = typeInfo_;
  return S_OK;
}

// Names are matched without regard to case, as automation clients expect.
STDMETHODIMP FiscalPrinterObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return ::DispGetIDsOfNames(typeInfo_, names, count, ids);
}

// The type library's description turns the VARIANT arguments into a call
// through the virtual table, converting types where the caller's differ.
STDMETHODIMP FiscalPrinterObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                         VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return ::DispInvoke(static_cast<IFiscalPrinter*>(this), typeInfo_, id, flags, parameters, result, exception,
                      argumentError);
}

}  // namespace kestrel::server
