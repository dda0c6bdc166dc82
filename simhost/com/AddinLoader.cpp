#include "simhost/com/AddinLoader.h"

#include "platform/win32/ComObject.h"
#include "platform/win32/DispatchNames.h"
#include "platform/win32/RegistryKey.h"
#include "simhost/com/Dialect.h"

#include <oleauto.h>

#include <cwchar>
#include <new>

namespace quillet::simhost::com {

namespace {

using win32::ComPtr;

using win32::RegistryKey;

DWORD LoadBehaviorOf(HKEY addins, const wchar_t* progId) {
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

private:
    SAFEARRAY* array_;
};

// Windows' COM lets a class registered for the current user
// (HKEY_CURRENT_USER\Software\Classes) win over one registered for the
// machine, as a user without administrator rights registers an add-in.
// Wine's COM reads the machine's classes only, so the host looks at the
// user's classes itself first, the way Windows would for it.

/// The default value of `path` below the current user's classes; empty when there is none.
std::wstring UserClassesText(const std::wstring& path) {
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

HRESULT ClassOfProgId(const std::wstring& progId, CLSID* clsid) {
    const std::wstring forUser = UserClassesText(progId + L"\\CLSID");
    if (!forUser.empty() && SUCCEEDED(CLSIDFromString(forUser.c_str(), clsid))) return S_OK;
    return CLSIDFromProgID(progId.c_str(), clsid);
}

/// An object of an in-process class: from the DLL that the user registered
/// it with, when there is one, else through COM. A DLL loaded here stays for
/// the life of the host, as COM keeps the in-process servers it loads.
HRESULT CreateInProcess(REFCLSID clsid, REFIID iid, void** object) {
    wchar_t classText[39];
    StringFromGUID2(clsid, classText, ARRAYSIZE(classText));
    const std::wstring server = UserClassesText(std::wstring(L"CLSID\\") + classText + L"\\InprocServer32");
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

/// Calls a member of the connection interface through Invoke, by its
/// published name, with `arguments` last first, as a host that dispatches
/// does.
HRESULT InvokeByName(IDispatch* object, const wchar_t* name, VARIANTARG* arguments, UINT count) {
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member); FAILED(hr))
        return hr;
    DISPPARAMS params{arguments, nullptr, count, 0};
    return object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

/// `custom`, the array of VARIANTs by reference, as Invoke passes it.
VARIANTARG CustomArgument(SAFEARRAY** custom) {
    VARIANTARG argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_ARRAY | VT_VARIANT | VT_BYREF;
    V_ARRAYREF(&argument) = custom;
    return argument;
}

class ForeignHostObject final : public win32::ComObject<win32::WithoutTypeInfo<IDispatch>, IID_IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return win32::IdsOfNames({}, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace

std::vector<AddinEntry> RegisteredAddins() {
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
        entries.push_back({std::wstring(name, length), LoadBehaviorOf(addins.get(), name)});
    }
    return entries;
}

std::vector<std::wstring> StartupAddins() {
    std::vector<std::wstring> progIds;
    for (AddinEntry& entry : RegisteredAddins())
        if (entry.loadBehavior == kLoadAtStartup) progIds.push_back(std::move(entry.progId));
    return progIds;
}

HRESULT ComAddin::Create(const std::wstring& progId, ComAddin* addin) {
    if (!addin) return E_POINTER;
    addin->Release();
    CLSID clsid;
    if (const HRESULT hr = ClassOfProgId(progId, &clsid); FAILED(hr)) return hr;
    ComPtr<_IDTExtensibility2> object;
    if (const HRESULT hr = CreateInProcess(clsid, IID__IDTExtensibility2, reinterpret_cast<void**>(object.out()));
        FAILED(hr))
        return hr;
    *addin = ComAddin(std::move(object));
    return S_OK;
}

HRESULT ComAddin::Connect(IDispatch* application, ext_ConnectMode mode) {
    if (!object_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    if (!custom) return E_OUTOFMEMORY;
    if (!TheDialect().connectsThroughInvoke)
        return object_->OnConnection(application, mode, /*AddInInst=*/nullptr, custom.get());
    VARIANTARG arguments[4];
    arguments[0] = CustomArgument(custom.get());
    VariantInit(&arguments[1]);
    V_VT(&arguments[1]) = VT_DISPATCH;  // AddInInst: none
    V_DISPATCH(&arguments[1]) = nullptr;
    VariantInit(&arguments[2]);
    V_VT(&arguments[2]) = VT_I4;
    V_I4(&arguments[2]) = mode;
    VariantInit(&arguments[3]);
    V_VT(&arguments[3]) = VT_DISPATCH;
    V_DISPATCH(&arguments[3]) = application;
    return InvokeByName(object_.get(), L"OnConnection", arguments, 4);
}

HRESULT ComAddin::Disconnect(ext_DisconnectMode mode) {
    if (!object_) return E_UNEXPECTED;
    EmptyCustomArray custom;
    if (!custom) return E_OUTOFMEMORY;
    if (!TheDialect().connectsThroughInvoke) return object_->OnDisconnection(mode, custom.get());
    VARIANTARG arguments[2];
    arguments[0] = CustomArgument(custom.get());
    VariantInit(&arguments[1]);
    V_VT(&arguments[1]) = VT_I4;
    V_I4(&arguments[1]) = mode;
    return InvokeByName(object_.get(), L"OnDisconnection", arguments, 2);
}

HRESULT CreateForeignHostObject(IDispatch** object) {
    if (!object) return E_POINTER;
    *object = new (std::nothrow) ForeignHostObject();
    return *object ? S_OK : E_OUTOFMEMORY;
}

}  // namespace quillet::simhost::com
