#pragma once
// Calls a dispatch interface the way the OPOS Control Object does: names
// resolved one at a time, arguments passed in reverse order as VARIANTs,
// DISPATCH_METHOD, the result read from the result VARIANT.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kestrel::wintest {

// One argument of a call. In/out arguments point at the caller's storage,
// which receives what the service wrote back.
struct Arg {
  static Arg Text(const std::wstring& text);
  static Arg Number(long number);
  static Arg Currency(int64_t units);  // amount x 10000
  static Arg Flag(bool flag);
  static Arg Dispatch(IDispatch* object);
  static Arg NumberRef(long* number);
  static Arg TextRef(BSTR* text);

  VARTYPE type = VT_EMPTY;
  std::wstring text;
  long number = 0;
  int64_t units = 0;
  bool flag = false;
  IDispatch* object = nullptr;
  long* numberRef = nullptr;
  BSTR* textRef = nullptr;
};

class DispatchCaller {
 public:
  explicit DispatchCaller(IDispatch* target) : target_(target) {}

  // Resolves the names in order with LOCALE_SYSTEM_DEFAULT, stopping at the
  // first one the object does not know; that name, or "" when all resolve.
  std::wstring ResolveAll(const std::vector<std::wstring>& names);
  DISPID Id(const std::wstring& name) const;

  // Invokes a method; the VT_I4 result, or the HRESULT of a failed Invoke
  // (never a valid result code) when the call itself failed.
  long Call(const std::wstring& name, const std::vector<Arg>& args = {});
  // Invokes a method that answers nothing (the property setters).
  HRESULT CallVoid(const std::wstring& name, const std::vector<Arg>& args);
  // Invokes a method whose result is a text (GetPropertyString).
  std::wstring CallText(const std::wstring& name, const std::vector<Arg>& args);

 private:
  HRESULT Invoke(const std::wstring& name, const std::vector<Arg>& args, VARIANT* result);

  IDispatch* target_;
  std::map<std::wstring, DISPID> ids_;
};

}  // namespace kestrel::wintest
