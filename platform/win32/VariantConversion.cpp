#include "platform/win32/VariantConversion.h"

#include <oleauto.h>

#include "platform/win32/Bstr.h"
#include "platform/win32/Variant.h"

namespace quillet::win32 {

namespace {

/// `variant` changed to `type` in `converted`.
HRESULT changed(const VARIANT& variant, VARTYPE type, Variant* converted) {
    // VariantChangeType reads its source, whatever its declaration says.
    return VariantChangeType(converted->out(), const_cast<VARIANT*>(&variant), 0, type);
}

}  // namespace

const VARIANT& seenThrough(const VARIANT& variant) {
    const VARIANT* value = &variant;
    while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    return *value;
}

HRESULT textOf(const VARIANT& variant, std::u16string* text) {
    Variant converted;
    if (HRESULT hr = changed(variant, VT_BSTR, &converted); FAILED(hr)) return hr;
    *text = Bstr::text(V_BSTR(&converted.get()));
    return S_OK;
}

HRESULT numberOf(const VARIANT& variant, int32_t* number) {
    Variant converted;
    if (HRESULT hr = changed(variant, VT_I4, &converted); FAILED(hr)) return hr;
    *number = V_I4(&converted.get());
    return S_OK;
}

HRESULT booleanOf(const VARIANT& variant, bool* boolean) {
    Variant converted;
    if (HRESULT hr = changed(variant, VT_BOOL, &converted); FAILED(hr)) return hr;
    *boolean = V_BOOL(&converted.get()) != VARIANT_FALSE;
    return S_OK;
}

HRESULT objectOf(const VARIANT& variant, ComPtr<IDispatch>* object) {
    const VARIANT& value = seenThrough(variant);
    if (V_VT(&value) == VT_EMPTY || V_VT(&value) == VT_NULL) {
        *object = {};
        return S_OK;
    }
    Variant converted;
    if (HRESULT hr = changed(value, VT_DISPATCH, &converted); FAILED(hr)) return hr;
    *object = ComPtr<IDispatch>::share(V_DISPATCH(&converted.get()));
    return S_OK;
}

}  // namespace quillet::win32
