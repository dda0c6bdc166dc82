#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>

namespace quillet::win32 {

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

}  // namespace quillet::win32
