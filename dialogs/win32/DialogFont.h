#pragma once

#include <windows.h>

#include "platform/FormLayout.h"

namespace quillet::win32 {

/// A new font for the window and controls of a dialog of `layout` drawn at
/// `dpi`; the caller deletes it. The layout's own face at its size in points;
/// where the layout names none, the platform's default dialog font, made for
/// the system's DPI and scaled to `dpi`. Null when the platform makes no font.
HFONT createDialogFont(const FormLayout& layout, UINT dpi);

}  // namespace quillet::win32
