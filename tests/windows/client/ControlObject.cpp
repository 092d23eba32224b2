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

STDMETHODIMP ControlObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                   UINT*) {
  if (id != kStatusUpdateId) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & DISPATCH_METHOD) || parameters == nullptr || parameters->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  const VARIANTARG& argument = parameters->rgvarg[0];
  events.push_back({argument.vt, argument.vt == VT_INT ? argument.intVal : argument.lVal});
  if (service != nullptr) ReadStateOfService();
  return S_OK;
}

void ControlObject::ReadStateOfService() {
  wchar_t name[] = L"GetPropertyNumber";
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(service->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id))) return;
  VARIANTARG index;
  ::VariantInit(&index);
  index.vt = VT_I4;
  index.lVal = 9;  // State
  DISPPARAMS parameters = {&index, nullptr, 1, 0};
  VARIANT result;
  ::VariantInit(&result);
  HRESULT hr =
      service->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &parameters, &result, nullptr, nullptr);
  statesReadInHandler.push_back({SUCCEEDED(hr) ? result.vt : static_cast<VARTYPE>(VT_ERROR), result.lVal});
  ::VariantClear(&result);
}

}  // namespace kestrel::wintest
