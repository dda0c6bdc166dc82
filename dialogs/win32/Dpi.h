#pragma once

#include <windows.h>

namespace quillet::win32 {

/// The DPI of the system as the calling thread sees it: GetDpiForSystem where
/// the platform has it (a thread that is not DPI aware sees 96), else the
/// screen's LOGPIXELSX.
UINT systemDpi();

/// The DPI that `window` is drawn at: GetDpiForWindow where the platform has
/// it (a per-monitor aware window's monitor's), else systemDpi().
UINT windowDpi(HWND window);

/// The outer size of a window with these styles whose client area is
/// `client`, at `dpi`: AdjustWindowRectExForDpi where the platform has it,
/// else AdjustWindowRectEx, which knows only the system's DPI.
SIZE frameSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace quillet::win32
