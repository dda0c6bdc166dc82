#pragma once

#include <windows.h>

#include <string>

namespace quillet::win32 {

/// The full path of `module` (null: the program's own file); empty when it
/// cannot be had, with the reason in GetLastError. GetModuleFileName cuts a
/// long path short without failing, so the buffer grows until the path fits.
inline std::wstring modulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace quillet::win32
