#pragma once
// The one class factory of the server. It lives as long as the DLL, so its
// reference count does not keep the module loaded; LockServer does.
#include "server/ComHeaders.h"

namespace kestrel::server {

class ClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;
};

ClassFactory& TheClassFactory();

}  // namespace kestrel::server
