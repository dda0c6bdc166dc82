#pragma once

#include <windows.h>

namespace quillet::win32 {

/// Creates a Connect object, the add-in that the host creates and connects,
/// and returns its interface `iid` (_Connect, IDispatch, the add-in
/// connection interface or IUnknown). The object counts as a live object of
/// the component for as long as it exists.
HRESULT createConnect(REFIID iid, void** object);

/// Lets go of the type information that Connect objects share, as the DLL
/// is unloaded: no Connect object lives then.
void releaseConnectTypeInfo();

}  // namespace quillet::win32
