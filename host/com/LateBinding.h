#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/Result.h"
#include "host/com/HostRoles.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/Variant.h"

namespace quillet::com {

// Calls to the host's objects by member name: IDispatch::GetIDsOfNames, then
// IDispatch::Invoke. The host publishes names, never DISPIDs or vtable
// layouts, so nothing else is ever called on its objects.

/// How a member is invoked (the flags of IDispatch::Invoke).
enum class Call : WORD {
    Get = DISPATCH_PROPERTYGET,
    Method = DISPATCH_METHOD,
    /// A member that one host makes a method and another a property, such as
    /// a collection's Item: both flags, so that either answers.
    MethodOrGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET,
    Put = DISPATCH_PROPERTYPUT,
    PutRef = DISPATCH_PROPERTYPUTREF,
};

/// Invokes the member `name` of `object` with `arguments` in the order that
/// the member declares them; trailing optional arguments are simply left out.
/// A put passes its one argument as the named argument DISPID_PROPERTYPUT.
///
/// Fails with the host's error when Invoke reports DISP_E_EXCEPTION (see
/// failureOf(EXCEPINFO&)), and with the HRESULT and the thread's error info
/// for any other failure, a missing member (DISP_E_UNKNOWNNAME) included.
Result<win32::Variant> invoke(IDispatch* object, const wchar_t* name, Call how,
                              std::initializer_list<win32::Variant> arguments = {});

/// Sets the object property `name` to `value`: by value (put), and when the
/// member has no put (DISP_E_MEMBERNOTFOUND), by reference (putref).
Status assign(IDispatch* object, const wchar_t* name, const win32::Variant& value);

/// A result as a text, whatever type the host answered in (a number, say).
Result<std::u16string> asText(const Result<win32::Variant>& result);
/// A result as a 32-bit number (a host may answer a Long as a short, or as a text).
Result<int32_t> asNumber(const Result<win32::Variant>& result);
/// A result as a Boolean (a host may answer a number: any but 0 is true).
Result<bool> asBoolean(const Result<win32::Variant>& result);
/// An object result, asked for `role`'s interface. An empty object is error 91.
Result<win32::ComPtr<IDispatch>> asObject(const Result<win32::Variant>& result, const Role& role);

/// Asks `object` for `role`'s interface; what comes back is called as an IDispatch.
Result<win32::ComPtr<IDispatch>> inRole(IUnknown* object, const Role& role);

}  // namespace quillet::com
