#include "simhost/com/AddinLoader.h"

#include <oleauto.h>

#include <cwchar>
#include <new>

#include "host/com/LateBinding.h"
#include "platform/win32/ComObject.h"
#include "platform/win32/DispatchMembers.h"
#include "platform/win32/RegistryKey.h"
#include "platform/win32/Variant.h"
#include "simhost/com/Dialect.h"

namespace quillet::simhost::com {

namespace {

using quillet::com::Call;
using win32::ComPtr;
using win32::RegistryKey;
using win32::Variant;

DWORD loadBehaviorOf(HKEY addins, const wchar_t* progId) {
    RegistryKey entry;
    if (RegOpenKeyExW(addins, progId, 0, KEY_QUERY_VALUE, entry.out()) != ERROR_SUCCESS) return 0;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueExW(entry.get(), L"LoadBehavior", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return 0;
    return value;
}

/// An empty SAFEARRAY(VARIANT), the `custom` argument that the host passes.
class EmptyCustomArray {
public:
    EmptyCustomArray() : array_(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
    EmptyCustomArray(const EmptyCustomArray&) = delete;
    EmptyCustomArray& operator=(const EmptyCustomArray&) = delete;
    ~EmptyCustomArray() {
        if (array_) SafeArrayDestroy(array_);
    }
    explicit operator bool() const { return array_ != nullptr; }
    SAFEARRAY** get() { return &array_; }
    /// The array as Invoke passes it: by reference, for the callee to replace.
    Variant argument() { return Variant::arrayReference(&array_); }

private:
    SAFEARRAY* array_;
};

// Windows' COM lets a class registered for the current user
// (HKEY_CURRENT_USER\Software\Classes) win over one registered for the
// machine, as a user without administrator rights registers an add-in.
// Wine's COM reads the machine's classes only, so the host looks at the
// user's classes itself first, the way Windows would for it.

/// The default value of `path` below the current user's classes; empty when there is none.
std::wstring userClassesText(const std::wstring& path) {
    const std::wstring key = L"Software\\Classes\\" + path;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return {};
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS)
        return {};
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

HRESULT classOfProgId(const std::wstring& progId, CLSID* clsid) {
    const std::wstring forUser = userClassesText(progId + L"\\CLSID");
    if (!forUser.empty() && SUCCEEDED(CLSIDFromString(forUser.c_str(), clsid))) return S_OK;
    return CLSIDFromProgID(progId.c_str(), clsid);
}

/// An object of an in-process class: from the DLL that the user registered
/// it with, when there is one, else through COM. A DLL loaded here stays for
/// the life of the host, as COM keeps the in-process servers it loads.
HRESULT createInProcess(REFCLSID clsid, REFIID iid, void** object) {
    wchar_t classText[39];
    StringFromGUID2(clsid, classText, ARRAYSIZE(classText));
    const std::wstring server = userClassesText(std::wstring(L"CLSID\\") + classText + L"\\InprocServer32");
    if (server.empty()) return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object);

    HMODULE module = LoadLibraryExW(server.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) return CO_E_ERRORINDLL;
    ComPtr<IClassFactory> factory;
    if (const HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.out()));
        FAILED(hr))
        return hr;
    return factory->CreateInstance(nullptr, iid, object);
}

/// The add-in's answer to a call through Invoke: the HRESULT that it failed with, if any.
HRESULT answerOf(const Result<Variant>& called) { return called ? S_OK : static_cast<HRESULT>(called.error().number); }

class ForeignHostObject final
    : public win32::ComObject<win32::WithoutTypeInfo<win32::DispatchedByTable<IDispatch, ForeignHostObject>>,
                              IID_IDispatch> {
public:
    static std::span<const win32::Member<ForeignHostObject>> members() { return {}; }
};

}  // namespace

std::vector<AddinEntry> registeredAddins() {
    std::vector<AddinEntry> entries;
    RegistryKey addins;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kAddinsKey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, addins.out()) !=
        ERROR_SUCCESS)
        return entries;
    for (DWORD index = 0;; ++index) {
        // A key's name has at most 255 characters.
        wchar_t name[256];
        DWORD length = 256;
        const LONG status = RegEnumKeyExW(addins.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) continue;
        entries.push_back({std::wstring(name, length), loadBehaviorOf(addins.get(), name)});
    }
    return entries;
}

std::vector<std::wstring> startupAddins() {
    std::vector<std::wstring> progIds;
    for (AddinEntry& entry : registeredAddins())
        if (entry.loadBehavior == kLoadAtStartup) progIds.push_back(std::move(entry.progId));
    return progIds;
}

HRESULT ComAddin::create(const std::wstring& progId, ComAddin* addin) {
    if (!addin) return E_POINTER;
    addin->release();
    CLSID clsid;
    if (const HRESULT hr = classOfProgId(progId, &clsid); FAILED(hr)) return hr;
    ComPtr<_IDTExtensibility2> object;
    if (const HRESULT hr = createInProcess(clsid, IID__IDTExtensibility2, reinterpret_cast<void**>(object.out()));
        FAILED(hr))
        return hr;
    *addin = ComAddin(std::move(object));
    return S_OK;
}

HRESULT ComAddin::connect(IDispatch* application, ext_ConnectMode mode) {
    if (!object_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    if (!custom) return E_OUTOFMEMORY;
    if (!theDialect().connectsThroughInvoke)
        return object_->OnConnection(application, mode, /*AddInInst=*/nullptr, custom.get());
    return answerOf(quillet::com::invoke(object_.get(), L"OnConnection", Call::Method,
                                         {Variant::object(application), Variant::number(mode),
                                          /*AddInInst=*/Variant::object(nullptr), custom.argument()}));
}

HRESULT ComAddin::disconnect(ext_DisconnectMode mode) {
    if (!object_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    if (!custom) return E_OUTOFMEMORY;
    if (!theDialect().connectsThroughInvoke) return object_->OnDisconnection(mode, custom.get());
    return answerOf(quillet::com::invoke(object_.get(), L"OnDisconnection", Call::Method,
                                         {Variant::number(mode), custom.argument()}));
}

HRESULT createForeignHostObject(IDispatch** object) {
    if (!object) return E_POINTER;
    *object = new (std::nothrow) ForeignHostObject();
    return *object ? S_OK : E_OUTOFMEMORY;
}

}  // namespace quillet::simhost::com
