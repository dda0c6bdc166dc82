#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "platform/win32/ComPtr.h"
#include "platform/win32/Variant.h"

namespace quillet::win32 {

/// One call of a member of ours through IDispatch::Invoke, once its arguments
/// were counted (checkArguments, DispatchMembers.h): the arguments in the
/// order that the member declares them, and its answer.
class Invocation {
public:
    /// `result` is null when the caller wants no answer, and for a put.
    Invocation(const DISPPARAMS& params, VARIANT* result, UINT* argumentError)
        : params_(params), result_(result), argumentError_(argumentError) {}

    /// Whether the argument at `position` was given: passed, and not an
    /// optional argument left out.
    bool given(UINT position) const;
    /// The argument at `position` as the caller passed it, a reference to a
    /// variant not seen through; null when not passed.
    const VARIANT* passed(UINT position) const;

    /// The argument at `position` as a text, a number, a Boolean or an object
    /// (null for Nothing), read as VariantConversion.h says;
    /// DISP_E_TYPEMISMATCH when it cannot be one.
    HRESULT text(UINT position, std::u16string* value);
    HRESULT number(UINT position, int32_t* value);
    HRESULT boolean(UINT position, bool* value);
    HRESULT object(UINT position, ComPtr<IDispatch>* value);
    /// The argument at `position` does not fit: DISP_E_TYPEMISMATCH, naming
    /// it to the caller.
    HRESULT mismatch(UINT position);

    /// The member's value, handed to the caller when it asked for one.
    HRESULT answer(Variant value);

private:
    /// The argument, a reference to a variant seen through; null when not passed.
    const VARIANT* argument(UINT position) const;
    /// The argument at `position` read by `reader`, or a mismatch.
    template <typename Value>
    HRESULT read(UINT position, HRESULT (*reader)(const VARIANT&, Value*), Value* value);

    const DISPPARAMS& params_;
    VARIANT* result_;
    UINT* argumentError_;
};

}  // namespace quillet::win32
