#include "DispatchCaller.h"

namespace kestrel::wintest {

Arg Arg::Text(const std::wstring& text) {
  Arg arg;
  arg.type = VT_BSTR;
  arg.text = text;
  return arg;
}
Arg Arg::Number(long number) {
  Arg arg;
  arg.type = VT_I4;
  arg.number = number;
  return arg;
}
Arg Arg::Currency(int64_t units) {
  Arg arg;
  arg.type = VT_CY;
  arg.units = units;
  return arg;
}
Arg Arg::Flag(bool flag) {
  Arg arg;
  arg.type = VT_BOOL;
  arg.flag = flag;
  return arg;
}
Arg Arg::Dispatch(IDispatch* object) {
  Arg arg;
  arg.type = VT_DISPATCH;
  arg.object = object;
  return arg;
}
Arg Arg::NumberRef(long* number) {
  Arg arg;
  arg.type = VT_BYREF | VT_I4;
  arg.numberRef = number;
  return arg;
}
Arg Arg::TextRef(BSTR* text) {
  Arg arg;
  arg.type = VT_BYREF | VT_BSTR;
  arg.textRef = text;
  return arg;
}

std::wstring DispatchCaller::ResolveAll(const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    std::wstring copy = name;
    LPOLESTR one = &copy[0];
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(target_->GetIDsOfNames(IID_NULL, &one, 1, LOCALE_SYSTEM_DEFAULT, &id))) return name;
    ids_[name] = id;
  }
  return std::wstring();
}

DISPID DispatchCaller::Id(const std::wstring& name) const {
  auto found = ids_.find(name);
  return found == ids_.end() ? DISPID_UNKNOWN : found->second;
}

HRESULT DispatchCaller::Invoke(const std::wstring& name, const std::vector<Arg>& args, VARIANT* result) {
  // Arguments travel last first.
  std::vector<VARIANTARG> variants(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Arg& arg = args[args.size() - 1 - i];
    VARIANTARG& v = variants[i];
    ::VariantInit(&v);
    v.vt = arg.type;
    switch (arg.type) {
      case VT_BSTR:
        v.bstrVal = ::SysAllocStringLen(arg.text.data(), static_cast<UINT>(arg.text.size()));
        break;
      case VT_I4:
        v.lVal = arg.number;
        break;
      case VT_CY:
        v.cyVal.int64 = arg.units;
        break;
      case VT_BOOL:
        v.boolVal = arg.flag ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case VT_DISPATCH:
        v.pdispVal = arg.object;
        break;  // borrowed: not cleared below
      case VT_BYREF | VT_I4:
        v.plVal = arg.numberRef;
        break;
      case VT_BYREF | VT_BSTR:
        v.pbstrVal = arg.textRef;
        break;
      default:
        break;
    }
  }
  DISPPARAMS parameters = {variants.empty() ? nullptr : variants.data(), nullptr, static_cast<UINT>(args.size()), 0};
  EXCEPINFO exception = {};
  UINT argumentError = 0;
  HRESULT hr = target_->Invoke(Id(name), IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &parameters, result,
                               &exception, &argumentError);
  for (VARIANTARG& v : variants) {
    if (v.vt == VT_BSTR) ::VariantClear(&v);
  }
  return hr;
}

long DispatchCaller::Call(const std::wstring& name, const std::vector<Arg>& args) {
  VARIANT result;
  ::VariantInit(&result);
  HRESULT hr = Invoke(name, args, &result);
  if (FAILED(hr)) return hr;
  long code = result.vt == VT_I4 ? result.lVal : static_cast<long>(E_UNEXPECTED);
  ::VariantClear(&result);
  return code;
}

HRESULT DispatchCaller::CallVoid(const std::wstring& name, const std::vector<Arg>& args) {
  VARIANT result;
  ::VariantInit(&result);
  HRESULT hr = Invoke(name, args, &result);
  ::VariantClear(&result);
  return hr;
}

std::wstring DispatchCaller::CallText(const std::wstring& name, const std::vector<Arg>& args) {
  VARIANT result;
  ::VariantInit(&result);
  std::wstring text;
  if (SUCCEEDED(Invoke(name, args, &result)) && result.vt == VT_BSTR && result.bstrVal) {
    text.assign(result.bstrVal, ::SysStringLen(result.bstrVal));
  }
  ::VariantClear(&result);
  return text;
}

}  // namespace kestrel::wintest
