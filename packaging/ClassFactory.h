#pragma once

#include <windows.h>

namespace quillet::win32 {

/// Answers DllGetClassObject: a new class factory for a creatable class of
/// the component, asked for `iid` (IClassFactory or IUnknown). Any other
/// class gives CLASS_E_CLASSNOTAVAILABLE and creates nothing. `*object` is
/// null whenever the call fails.
///
/// A factory holds a lock on the component for as long as it exists, so a
/// client that keeps one without calling LockServer still keeps the code of
/// its Release in memory.
HRESULT getClassFactory(REFCLSID clsid, REFIID iid, void** object);

}  // namespace quillet::win32
