#pragma once

#include <windows.h>
#include <oaidl.h>

#include <new>
#include <span>

#include "platform/win32/Invocation.h"

namespace quillet::win32 {

// IDispatch of our own objects, dispatched in code: members looked up by
// name, called by DISPID, with no type library needed.

/// Whether `name` names the member `member`: automation names are looked up
/// without regard to case.
inline bool sameName(const wchar_t* name, const wchar_t* member) {
    return CompareStringOrdinal(name, -1, member, -1, /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

/// A member that an IDispatch of ours answers to by name.
struct NamedMember {
    const wchar_t* name;
    DISPID id;
};

/// IDispatch::GetIDsOfNames over `members` (anything with a name and an id):
/// `names[0]` is looked up by sameName. Names of arguments are not
/// published: each of `names[1..]` is DISPID_UNKNOWN, and the answer
/// DISP_E_UNKNOWNNAME.
template <typename Members>
HRESULT idsOfNames(const Members& members, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const auto& member : members) {
        if (names[0] && sameName(names[0], member.name)) {
            ids[0] = member.id;
            break;
        }
    }
    return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

/// Whether `arguments` fit a member that answers the calls `kinds`
/// (DISPATCH_METHOD, DISPATCH_PROPERTYGET, ...) and takes `required` to
/// `accepted` positional arguments. A put takes its value as the one named
/// argument DISPID_PROPERTYPUT; nothing else takes named arguments.
HRESULT checkArguments(WORD kinds, UINT required, UINT accepted, const DISPPARAMS& arguments);

/// Runs `body`, an entry point from outside: whatever it throws ends there,
/// as E_OUTOFMEMORY or E_UNEXPECTED.
template <typename Body>
HRESULT guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

/// Calls the member that Invoke found: checks the arguments, clears the
/// result (a put has none), and runs `body` with the call, an `Call` (an
/// Invocation, or one that answers more), guarded.
template <typename Call, typename Body>
HRESULT callMember(WORD kinds, UINT required, UINT accepted, const DISPPARAMS* params, VARIANT* result,
                   UINT* argumentError, Body&& body) {
    DISPPARAMS none{};
    const DISPPARAMS& arguments = params ? *params : none;
    if (HRESULT hr = checkArguments(kinds, required, accepted, arguments); FAILED(hr)) return hr;
    if (result) VariantInit(result);
    Call call(arguments, kinds & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) ? nullptr : result, argumentError);
    return guarded([&] { return body(call); });
}

/// A member of an `Object` of ours under a DISPID of its own: the calls it
/// answers, the positional arguments it takes (a put's value not counted),
/// and its handler. A member answered in more than one way (a property's
/// get and put) is one entry for each, under the same name and DISPID.
template <typename Object>
struct Member {
    const wchar_t* name;
    DISPID id;
    WORD kinds;
    UINT required;
    UINT accepted;
    HRESULT (Object::*body)(Invocation& call);
};

/// IDispatch::Invoke over `members` of `object`: the first member with DISPID
/// `id` that answers one of `flags`, called as callMember says.
template <typename Object>
HRESULT invokeMember(Object& object, std::span<const Member<Object>> members, DISPID id, REFIID iid, WORD flags,
                     DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    for (const Member<Object>& member : members) {
        if (member.id != id || !(member.kinds & flags)) continue;
        return callMember<Invocation>(member.kinds, member.required, member.accepted, params, result, argumentError,
                                      [&](Invocation& call) { return (object.*member.body)(call); });
    }
    return DISP_E_MEMBERNOTFOUND;
}

/// The lookup and call halves of IDispatch, for an `Object` that lists what
/// it answers in its static members() (a span of Member<Object>).
template <typename Interface, typename Object>
class DispatchedByTable : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return idsOfNames(Object::members(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argumentError) override {
        return invokeMember(static_cast<Object&>(*this), Object::members(), id, iid, flags, params, result,
                            argumentError);
    }
};

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
