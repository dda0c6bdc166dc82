#pragma once

#include <windows.h>

#include "platform/FormLayout.h"

namespace quillet::win32 {

/// The width in pixels that the caption of `control`, a control of `kind`,
/// needs to show whole on one line in `font` at `dpi`: the text itself for a
/// label; for a check box also its box and the gap before the text; for a
/// push button also the margins inside its frame. 0 for a control without a
/// caption.
int captionWidth(HWND control, ControlKind kind, HFONT font, UINT dpi);

}  // namespace quillet::win32
