// The one Win32 header of the plug-in: the real windows.h in the Windows build, the
// stand-in declarations of libwin32.so elsewhere. Plug-in sources include only this.
#pragma once

#ifdef _WIN32
#include <windows.h>
// commctrl.h needs the types windows.h declares first.
#include <commctrl.h>
#else
#include "platform/win32_standin.h"
#endif
