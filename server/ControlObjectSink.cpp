#include "server/ControlObjectSink.h"

namespace kestrel::server {

void ControlObjectSink::SOStatusUpdate(int status) {
  if (controlObject_ == nullptr) return;
  wchar_t name[] = L"SOStatusUpdate";
  LPOLESTR names[] = {name};
  DISPID id = DISPID_UNKNOWN;
  // A Control Object that lacks the method, or fails in it, is not the
  // service's concern: both results are ignored.
  if (FAILED(controlObject_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return;
  VARIANTARG argument;
  ::VariantInit(&argument);
  argument.vt = VT_INT;
  argument.intVal = status;
  DISPPARAMS parameters = {&argument, nullptr, 1, 0};
  controlObject_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
}

}  // namespace kestrel::server
