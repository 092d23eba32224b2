#include "ControlObject.h"

namespace kestrel::wintest {

STDMETHODIMP ControlObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ControlObject::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

STDMETHODIMP ControlObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count != 1 || names == nullptr || ids == nullptr) return E_INVALIDARG;
  if (::lstrcmpiW(names[0], L"SOStatusUpdate") != 0) {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  ids[0] = kStatusUpdateId;
  return S_OK;
}

STDMETHODIMP ControlObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT*,
                                   EXCEPINFO*, UINT*) {
  if (id != kStatusUpdateId) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_METHOD) || parameters == nullptr || parameters->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  const VARIANTARG& argument = parameters->rgvarg[0];
  events.push_back({argument.vt, argument.vt == VT_INT ? argument.intVal : argument.lVal});
  return S_OK;
}

}  // namespace kestrel::wintest
