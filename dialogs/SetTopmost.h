#pragma once

#include <cstdint>

#include "platform/Window.h"

namespace quillet {

/// Puts `window` at the top (or out of the top) of the stacking order without
/// moving, sizing, showing or activating it. Returns what SetWindowPos
/// returns, non-zero on success; callers do not look at it.
int32_t SetTopmost(WindowService& service, WindowHandle window, bool topmost);

}  // namespace quillet
