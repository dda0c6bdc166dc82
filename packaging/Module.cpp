// Quillet.dll's entry point, its four COM exports and DllInstall. Quillet.def gives the
// exports their undecorated names and the ordinals 1 to 4.

#include <windows.h>
#include <olectl.h>

#include "addin/win32/ComConnect.h"
#include "addin/win32/ComponentInstance.h"
#include "dialogs/win32/Win32Windows.h"
#include "packaging/ClassFactory.h"
#include "packaging/Registration.h"

// The component's own code first runs when the host creates Connect; loading
// the DLL only records where it was loaded from, for the registration and the
// type library resource. Unloading it (FreeLibrary, once DllCanUnloadNow
// agreed, so no dialog is left) gives back the type information that it kept
// and the dialogs' window class; at the process's exit nothing is, as the
// other DLLs may be gone already. Thread
// notifications are left on: the static C++ runtime relies on them for its
// per-thread data.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) quillet::win32::setComponentModule(instance);
    if (reason != DLL_PROCESS_DETACH || reserved != nullptr) return TRUE;
    quillet::win32::releaseConnectTypeInfo();
    quillet::win32::unregisterDialogClass(instance);
    return TRUE;
}

STDAPI DllCanUnloadNow() { return quillet::win32::componentCanUnload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    return quillet::win32::getClassFactory(clsid, iid, object);
}

STDAPI DllRegisterServer() { return quillet::win32::registerComponent(quillet::win32::Scope::Machine); }

STDAPI DllUnregisterServer() { return quillet::win32::unregisterComponent(quillet::win32::Scope::Machine); }

// regsvr32 /n /i:user registers the component for the current user alone, as
// a user without administrator rights can, and /u /n /i:user removes that
// again. With no command line (regsvr32 /i, after DllRegisterServer) it
// registers for every user, as DllRegisterServer does.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    using namespace quillet::win32;
    Scope scope = Scope::Machine;
    if (commandLine && *commandLine) {
        if (lstrcmpiW(commandLine, L"user") != 0) return E_INVALIDARG;
        scope = Scope::User;
    }
    return install ? registerComponent(scope) : unregisterComponent(scope);
}
