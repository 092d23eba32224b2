#pragma once
// Process-wide state of the in-process server: the DLL's own module handle
// and the counts of live objects and of LockServer locks that decide whether
// the DLL may be unloaded.
#include <string>

#include "server/ComHeaders.h"

namespace kestrel::server {

HMODULE ModuleHandle();
void SetModuleHandle(HMODULE module);

void ObjectCreated();
void ObjectDestroyed();
void LockModule();
void UnlockModule();
// True while no object lives and no lock is held.
bool CanUnload();

// The full path of this DLL, empty when it cannot be read.
std::wstring ModulePath();

}  // namespace kestrel::server
