#include "tests/windows/QuilletDll.h"

#include <gtest/gtest.h>

#include "platform/win32/ModulePath.h"

namespace quillet::test {
namespace {

/// GetProcAddress gives every export one type; the cast goes through the
/// generic function type, which GCC accepts as "any function".
template <typename Function>
Function AsFunction(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

std::wstring FolderOfProgram() {
    const std::wstring path = quillet::win32::ModulePath(nullptr);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

QuilletDll Load() {
    QuilletDll dll;
    const std::wstring file = FolderOfProgram() + L"Quillet.dll";
    HMODULE module = LoadLibraryW(file.c_str());
    if (!module) {
        ADD_FAILURE() << "Quillet.dll does not load from the test program's folder, error " << GetLastError();
        return dll;
    }
    std::wstring path = quillet::win32::ModulePath(module);

    auto find = [module](const char* name) {
        FARPROC address = GetProcAddress(module, name);
        if (!address) ADD_FAILURE() << "Quillet.dll does not export " << name;
        return address;
    };
    dll.canUnloadNow = AsFunction<QuilletDll::CanUnloadNow>(find("DllCanUnloadNow"));
    dll.getClassObject = AsFunction<QuilletDll::GetClassObject>(find("DllGetClassObject"));
    dll.registerServer = AsFunction<QuilletDll::RegisterServer>(find("DllRegisterServer"));
    dll.unregisterServer = AsFunction<QuilletDll::RegisterServer>(find("DllUnregisterServer"));
    dll.install = AsFunction<QuilletDll::Install>(find("DllInstall"));
    dll.module = module;
    dll.path = path;
    return dll;
}

}  // namespace

const QuilletDll& TheDll() {
    static const QuilletDll dll = Load();
    return dll;
}

bool DllLoaded() {
    const QuilletDll& dll = TheDll();
    return dll.module && dll.canUnloadNow && dll.getClassObject && dll.registerServer && dll.unregisterServer &&
           dll.install;
}

}  // namespace quillet::test
