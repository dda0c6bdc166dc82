#pragma once

#include <windows.h>

namespace quillet::win32 {

/// Whom a registration of the component's class serves: every user of the
/// machine (HKEY_LOCAL_MACHINE\Software\Classes, which needs an
/// administrator), or the current user alone (HKEY_CURRENT_USER\Software\Classes).
enum class Scope { Machine, User };

/// Registers the component in `scope`: the type library embedded in the DLL
/// (under the DLL's path, for this build's pointer size), _Connect as a dual
/// interface marshalled from it, the class Connect with its ProgID, and the
/// host's add-in entry in the current user's hive. The class and the
/// interface go into this build's registry view, so that the 32-bit and the
/// 64-bit DLL can be registered side by side. Writing again over an earlier
/// registration leaves one of each. When a step fails, whatever was written
/// is removed again and that step's HRESULT returned.
HRESULT registerComponent(Scope scope);

/// Removes what registerComponent(scope) writes for this build. What the two
/// builds share (the library's version key, the ProgID) goes only when no
/// build is registered in the scope any more, and the add-in entry only when
/// none is registered in either scope. What is already gone counts as
/// removed, so a second call also gives S_OK.
HRESULT unregisterComponent(Scope scope);

}  // namespace quillet::win32
