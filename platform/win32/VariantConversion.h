#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

#include "platform/win32/ComPtr.h"

namespace quillet::win32 {

// What a VARIANT holds, read as the type that its reader wants, the way
// Automation converts (VariantChangeType): a number as a text, a text as a
// number, any number but 0 as true. The same for an argument of a call on
// one of our objects and for an answer of the host's; each reader tells a
// failure in its own way. On failure the value is left as it was.

/// `variant`, or what it refers to when it is a reference to a variant,
/// through every such reference; a null reference is left as it is.
const VARIANT& seenThrough(const VARIANT& variant);

/// `variant` as a text; the conversion's HRESULT when it is none.
HRESULT textOf(const VARIANT& variant, std::u16string* text);
/// `variant` as a 32-bit number; the conversion's HRESULT when it is none
/// (DISP_E_OVERFLOW for one that does not fit).
HRESULT numberOf(const VARIANT& variant, int32_t* number);
/// `variant` as a Boolean; the conversion's HRESULT when it is none.
HRESULT booleanOf(const VARIANT& variant, bool* boolean);
/// `variant` seen through as an object: null for Nothing (empty, null or a
/// null object); the conversion's HRESULT when it is no object.
HRESULT objectOf(const VARIANT& variant, ComPtr<IDispatch>* object);

}  // namespace quillet::win32
