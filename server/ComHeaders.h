#pragma once
// The Windows and OLE headers and the interface that widl generates from
// ZB_KSTR.idl, in the one order that works: <windows.h> maps CreateWindow,
// OpenService and ResetPrinter onto their ...A functions, which would rename
// the interface's and the service's methods of those names, so the macros go
// before either header is read.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#undef CreateWindow
#undef OpenService
#undef ResetPrinter
#include "ZB_KSTR.h"
