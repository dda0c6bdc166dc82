#pragma once

#include <windows.h>

namespace quillet::simhost {

/// Posts a key's press and release to `target`, as the keyboard would: they
/// reach it through whatever loop takes this thread's messages next.
inline void postKeyStroke(HWND target, UINT key) {
    const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

}  // namespace quillet::simhost
