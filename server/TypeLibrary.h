#pragma once
// The type library is embedded in the DLL as resource TYPELIB 1; the
// dispatch side of every object and the registration both read it there.
#include "server/ComHeaders.h"

namespace kestrel::server {

HRESULT LoadOwnTypeLibrary(ITypeLib** library);
// The description of IFiscalPrinter, with one reference for the caller.
HRESULT LoadInterfaceTypeInfo(ITypeInfo** typeInfo);

}  // namespace kestrel::server
