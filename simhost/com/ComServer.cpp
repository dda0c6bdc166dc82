#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

const wchar_t* SourceOf(HostLibrary library) { return library == HostLibrary::Office ? L"Office" : L"Publisher"; }

/// Makes this the thread's error info; a failure to build it leaves none
/// rather than a stale one from an earlier call.
void SetThreadErrorInfo(REFIID iid, HostLibrary library, const std::wstring& description) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.out()))) {
        SetErrorInfo(0, nullptr);
        return;
    }
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(SourceOf(library)));
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    const ComPtr<IErrorInfo> info = create.query<IErrorInfo>(IID_IErrorInfo);
    SetErrorInfo(0, info.get());
}

std::wstring SystemDescription(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring description(text ? text : L"", length);
    LocalFree(text);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r'))
        description.pop_back();
    return description;
}

/// The VARIANT that a reference argument points to, or the argument itself.
const VARIANT& Dereferenced(const VARIANT& argument) {
    if (V_VT(&argument) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&argument))
        return Dereferenced(*V_VARIANTREF(&argument));
    return argument;
}

}  // namespace

HRESULT ResultOf(int32_t number) {
    if (number < 0) return static_cast<HRESULT>(number);
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

HRESULT Raise(const RaisedError& error, REFIID iid, HostLibrary library) noexcept {
    try {
        SetThreadErrorInfo(iid, library, std::wstring(error.description.begin(), error.description.end()));
    } catch (...) {
        SetErrorInfo(0, nullptr);
    }
    return ResultOf(error.number);
}

HRESULT Raise(HRESULT hr, REFIID iid, HostLibrary library) noexcept {
    try {
        SetThreadErrorInfo(iid, library, SystemDescription(hr));
    } catch (...) {
        SetErrorInfo(0, nullptr);
    }
    return hr;
}

std::u16string TextOf(BSTR text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

HRESULT Wrap(const std::u16string& text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Wrap(int32_t number, LONG* out) {
    *out = number;
    return S_OK;
}

HRESULT TextArgument(const VARIANT& argument, std::u16string* text) {
    const VARIANT& value = Dereferenced(argument);
    switch (V_VT(&value)) {
    case VT_BSTR:
        *text = TextOf(V_BSTR(&value));
        return S_OK;
    case VT_BYREF | VT_BSTR:
        if (!V_BSTRREF(&value)) return DISP_E_TYPEMISMATCH;
        *text = TextOf(*V_BSTRREF(&value));
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT ControlTypeArgument(const VARIANT& argument, int32_t* type) {
    const VARIANT& value = Dereferenced(argument);
    switch (V_VT(&value)) {
    case VT_ERROR:
        // An optional argument that the caller left out.
        if (V_ERROR(&value) != DISP_E_PARAMNOTFOUND) return DISP_E_TYPEMISMATCH;
        *type = 1;
        return S_OK;
    case VT_I4:
        *type = V_I4(&value);
        return S_OK;
    case VT_I2:
        *type = V_I2(&value);
        return S_OK;
    case VT_BYREF | VT_I4:
        if (!V_I4REF(&value)) return DISP_E_TYPEMISMATCH;
        *type = *V_I4REF(&value);
        return S_OK;
    case VT_BYREF | VT_I2:
        if (!V_I2REF(&value)) return DISP_E_TYPEMISMATCH;
        *type = *V_I2REF(&value);
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

}  // namespace quillet::simhost::com
