#pragma once
// Self-registration: the type library, the class with its two ProgIDs and
// the AppID, all below HKEY_CLASSES_ROOT. Unregistration removes exactly
// what registration writes.
#include "server/ComHeaders.h"

namespace kestrel::server {

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace kestrel::server
