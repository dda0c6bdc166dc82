#pragma once

#include <windows.h>

#include <string>

namespace quillet::test {

/// Quillet.dll as the tests see it: loaded once from the folder of the test
/// program and kept for the whole run, with its exports looked up by name.
struct QuilletDll {
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using RegisterServer = HRESULT(STDAPICALLTYPE*)();
    using Install = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);

    HMODULE module = nullptr;
    std::wstring path;  // as the loader reports it
    CanUnloadNow canUnloadNow = nullptr;
    GetClassObject getClassObject = nullptr;
    RegisterServer registerServer = nullptr;
    RegisterServer unregisterServer = nullptr;
    Install install = nullptr;
};

/// The loaded DLL. Fails the running test (and every later one) when the DLL
/// or one of its exports is missing; the pointers are then null.
const QuilletDll& theDll();

/// Whether theDll() found the DLL and its exports; for ASSERT_TRUE at the top
/// of a test.
bool dllLoaded();

}  // namespace quillet::test
