#include "tests/windows/QuilletDll.h"

#include <gtest/gtest.h>

#include "platform/win32/ModulePath.h"

namespace quillet::test {
namespace {

/// GetProcAddress gives every export one type; the cast goes through the
/// generic function type, which GCC accepts as "any function".
template <typename Function>
Function asFunction(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

std::wstring folderOfProgram() {
    const std::wstring path = quillet::win32::modulePath(nullptr);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

QuilletDll load() {
    QuilletDll dll;
    const std::wstring file = folderOfProgram() + L"Quillet.dll";
    HMODULE module = LoadLibraryW(file.c_str());
    if (!module) {
        ADD_FAILURE() << "Quillet.dll does not load from the test program's folder, error " << GetLastError();
        return dll;
    }
    std::wstring path = quillet::win32::modulePath(module);

    auto find = [module](const char* name) {
        FARPROC address = GetProcAddress(module, name);
        if (!address) ADD_FAILURE() << "Quillet.dll does not export " << name;
        return address;
    };
    dll.canUnloadNow = asFunction<QuilletDll::CanUnloadNow>(find("DllCanUnloadNow"));
    dll.getClassObject = asFunction<QuilletDll::GetClassObject>(find("DllGetClassObject"));
    dll.registerServer = asFunction<QuilletDll::RegisterServer>(find("DllRegisterServer"));
    dll.unregisterServer = asFunction<QuilletDll::RegisterServer>(find("DllUnregisterServer"));
    dll.install = asFunction<QuilletDll::Install>(find("DllInstall"));
    dll.module = module;
    dll.path = path;
    return dll;
}

}  // namespace

const QuilletDll& theDll() {
    static const QuilletDll dll = load();
    return dll;
}

bool dllLoaded() {
    const QuilletDll& dll = theDll();
    return dll.module && dll.canUnloadNow && dll.getClassObject && dll.registerServer && dll.unregisterServer &&
           dll.install;
}

}  // namespace quillet::test
