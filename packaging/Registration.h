#pragma once

#include <windows.h>

namespace quillet::win32 {

/// DllRegisterServer: registers the embedded type library (which registers
/// _Connect as a dual interface marshalled from it), the class Connect with
/// its ProgID, and the host's add-in entry in the current user's hive. Writing
/// again over an earlier registration leaves one of each. When a step fails,
/// whatever was written is removed again and that step's HRESULT returned.
HRESULT RegisterComponent();

/// DllUnregisterServer: removes everything that RegisterComponent writes. What
/// is already gone counts as removed, so a second call also gives S_OK. Keys
/// above the component's own (CLSID, the host's Addins key) stay.
HRESULT UnregisterComponent();

}  // namespace quillet::win32
