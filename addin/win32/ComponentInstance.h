#pragma once

#include <windows.h>

#include "addin/Component.h"

namespace quillet::win32 {

/// The component's module state inside the DLL, made on first use and kept
/// while the DLL is loaded.
Component& theComponent();

/// Whether the DLL may be unloaded: no object of the component lives (a
/// Connect, a dialog) and no lock on its class factory is held. Makes nothing.
bool componentCanUnload();

/// Locks the component in memory, or releases a lock (IClassFactory::LockServer).
void lockComponent(bool lock);

/// The DLL's module handle, as DllMain received it.
HMODULE componentModule();
void setComponentModule(HMODULE module);

}  // namespace quillet::win32
