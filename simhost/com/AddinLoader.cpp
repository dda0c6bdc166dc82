#include "simhost/com/AddinLoader.h"

#include "platform/win32/ComObject.h"
#include "platform/win32/RegistryKey.h"
#include "simhost/com/Dialect.h"

#include <oleauto.h>

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

class ForeignHostObject final : public win32::ComObject<IDispatch, IID_IDispatch> {
public:

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_INVALIDARG;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
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
    if (const HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid); FAILED(hr)) return hr;
    ComPtr<_IDTExtensibility2> object;
    if (const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__IDTExtensibility2,
                                            reinterpret_cast<void**>(object.out()));
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
