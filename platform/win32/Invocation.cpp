#include "platform/win32/Invocation.h"

#include "platform/win32/VariantConversion.h"

namespace quillet::win32 {

const VARIANT* Invocation::passed(UINT position) const {
    if (position >= params_.cArgs) return nullptr;
    // DISPPARAMS holds the arguments last first.
    return &params_.rgvarg[params_.cArgs - 1 - position];
}

const VARIANT* Invocation::argument(UINT position) const {
    const VARIANT* value = passed(position);
    return value ? &seenThrough(*value) : nullptr;
}

bool Invocation::given(UINT position) const {
    const VARIANT* value = argument(position);
    return value && !(V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND);
}

HRESULT Invocation::mismatch(UINT position) {
    if (argumentError_) *argumentError_ = params_.cArgs - 1 - position;
    return DISP_E_TYPEMISMATCH;
}

template <typename Value>
HRESULT Invocation::read(UINT position, HRESULT (*reader)(const VARIANT&, Value*), Value* value) {
    const VARIANT* given = argument(position);
    if (given && SUCCEEDED(reader(*given, value))) return S_OK;
    return mismatch(position);
}

HRESULT Invocation::text(UINT position, std::u16string* value) { return read(position, textOf, value); }

HRESULT Invocation::number(UINT position, int32_t* value) { return read(position, numberOf, value); }

HRESULT Invocation::boolean(UINT position, bool* value) { return read(position, booleanOf, value); }

HRESULT Invocation::object(UINT position, ComPtr<IDispatch>* value) { return read(position, objectOf, value); }

HRESULT Invocation::answer(Variant value) {
    if (result_) *result_ = value.detach();
    return S_OK;
}

}  // namespace quillet::win32
