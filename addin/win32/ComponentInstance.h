#pragma once

#include <windows.h>

#include "addin/Component.h"

namespace quillet::win32 {

/// The component's module state inside the DLL, made on first use and kept
/// while the DLL is loaded.
Component& TheComponent();

/// Whether the DLL may be unloaded: no object of the component lives (a
/// Connect, a dialog) and no lock on its class factory is held. Makes nothing.
bool ComponentCanUnload();

/// Locks the component in memory, or releases a lock (IClassFactory::LockServer).
void LockComponent(bool lock);

/// The DLL's module handle, as DllMain received it.
HMODULE ComponentModule();
void SetComponentModule(HMODULE module);

}  // namespace quillet::win32
