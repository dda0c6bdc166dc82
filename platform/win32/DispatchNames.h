#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>

namespace quillet::win32 {

// IDispatch of our own objects, dispatched in code: by name and DISPID,
// with no type library needed.

/// A member that an IDispatch of ours answers to by name.
struct NamedMember {
    const wchar_t* name;
    DISPID id;
};

/// IDispatch::GetIDsOfNames over `members`: `names[0]` is looked up without
/// regard to case, as automation names are. Names of arguments are not
/// published: each of `names[1..]` is DISPID_UNKNOWN, and the answer
/// DISP_E_UNKNOWNNAME.
HRESULT IdsOfNames(std::span<const NamedMember> members, LPOLESTR* names, UINT count, DISPID* ids);

/// The type information half of IDispatch for an object that dispatches in
/// code and publishes no type information: a count of 0.
template <typename Interface>
class WithoutTypeInfo : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
};

}  // namespace quillet::win32
