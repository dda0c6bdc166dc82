#include "platform/win32/Invocation.h"

#include "platform/win32/Bstr.h"

namespace quillet::win32 {

const VARIANT* Invocation::passed(UINT position) const {
    if (position >= params_.cArgs) return nullptr;
    // DISPPARAMS holds the arguments last first.
    return &params_.rgvarg[params_.cArgs - 1 - position];
}

const VARIANT* Invocation::argument(UINT position) const {
    const VARIANT* value = passed(position);
    while (value && V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    return value;
}

bool Invocation::given(UINT position) const {
    const VARIANT* value = argument(position);
    return value && !(V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND);
}

HRESULT Invocation::mismatch(UINT position) {
    if (argumentError_) *argumentError_ = params_.cArgs - 1 - position;
    return DISP_E_TYPEMISMATCH;
}

HRESULT Invocation::converted(UINT position, VARTYPE type, Variant* value) {
    const VARIANT* given = argument(position);
    if (given && SUCCEEDED(VariantChangeType(value->out(), const_cast<VARIANT*>(given), 0, type))) return S_OK;
    return mismatch(position);
}

HRESULT Invocation::text(UINT position, std::u16string* value) {
    Variant text;
    if (HRESULT hr = converted(position, VT_BSTR, &text); FAILED(hr)) return hr;
    *value = Bstr::text(V_BSTR(&text.get()));
    return S_OK;
}

HRESULT Invocation::number(UINT position, int32_t* value) {
    Variant number;
    if (HRESULT hr = converted(position, VT_I4, &number); FAILED(hr)) return hr;
    *value = V_I4(&number.get());
    return S_OK;
}

HRESULT Invocation::boolean(UINT position, bool* value) {
    Variant boolean;
    if (HRESULT hr = converted(position, VT_BOOL, &boolean); FAILED(hr)) return hr;
    *value = V_BOOL(&boolean.get()) != VARIANT_FALSE;
    return S_OK;
}

HRESULT Invocation::object(UINT position, ComPtr<IDispatch>* value) {
    const VARIANT* given = argument(position);
    if (given && SUCCEEDED(objectArgument(*given, *value))) return S_OK;
    return mismatch(position);
}

HRESULT Invocation::answer(Variant value) {
    if (result_) *result_ = value.detach();
    return S_OK;
}

}  // namespace quillet::win32
