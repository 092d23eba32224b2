#pragma once
// The client's own dispatch interface, handed to OpenService: it answers
// one name, SOStatusUpdate, and records the status of every call together
// with the type of the argument that carried it.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <vector>

namespace kestrel::wintest {

struct StatusEvent {
  VARTYPE type;
  long status;
};

class ControlObject final : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }  // lives on the stack
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

  static constexpr DISPID kStatusUpdateId = 1;
  std::vector<StatusEvent> events;
  // When set, every event handler reads the service's State back through
  // this interface, as an application's handler may, while the service is
  // still inside the call that fired the event. The answers (VARIANT types
  // and values) are kept; a service that waits for itself hangs here.
  IDispatch* service = nullptr;
  std::vector<StatusEvent> statesReadInHandler;

 private:
  void ReadStateOfService();
  ULONG references_ = 1;
};

}  // namespace kestrel::wintest
