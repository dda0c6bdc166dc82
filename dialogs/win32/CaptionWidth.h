#pragma once

#include <windows.h>

#include <string_view>

#include "platform/FormLayout.h"

namespace quillet::win32 {

/// The width in pixels that `caption`, the layout's caption of `control`, a
/// control of `kind`, needs to show whole on one line in `font` at `dpi`: the
/// text itself for a label; for a check box also its box and the gap before
/// the text; for a push button also the margins inside its frame. 0 for a
/// control without a caption. What the program writes into a label later
/// (a status line) wraps within the place that the layout gives it.
int captionWidth(HWND control, std::u16string_view caption, ControlKind kind, HFONT font, UINT dpi);

}  // namespace quillet::win32
