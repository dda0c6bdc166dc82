#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/win32/Bstr.h"

namespace quillet::win32 {

/// Owns a VARIANT: clears it (freeing a string, releasing an object) when it
/// goes. Movable, not copyable.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&value_);
            value_ = other.value_;
            VariantInit(&other.value_);
        }
        return *this;
    }
    ~Variant() { VariantClear(&value_); }

    static Variant text(const std::u16string& text) {
        Variant variant;
        V_VT(&variant.value_) = VT_BSTR;
        V_BSTR(&variant.value_) = Bstr(text).detach();
        return variant;
    }
    static Variant number(int32_t number) {
        Variant variant;
        V_VT(&variant.value_) = VT_I4;
        V_I4(&variant.value_) = number;
        return variant;
    }
    /// True as VARIANT_TRUE (-1), false as VARIANT_FALSE (0).
    static Variant boolean(bool value) {
        Variant variant;
        V_VT(&variant.value_) = VT_BOOL;
        V_BOOL(&variant.value_) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return variant;
    }
    /// Holds a reference of its own to `object`.
    static Variant object(IDispatch* object) {
        Variant variant;
        V_VT(&variant.value_) = VT_DISPATCH;
        V_DISPATCH(&variant.value_) = object;
        if (object) object->AddRef();
        return variant;
    }
    /// An array of variants by reference, as an argument that the callee may
    /// replace: `array` stays its owner's.
    static Variant arrayReference(SAFEARRAY** array) {
        Variant variant;
        V_VT(&variant.value_) = VT_ARRAY | VT_VARIANT | VT_BYREF;
        V_ARRAYREF(&variant.value_) = array;
        return variant;
    }
    /// An optional argument that the caller leaves out in the middle of others.
    static Variant missing() {
        Variant variant;
        V_VT(&variant.value_) = VT_ERROR;
        V_ERROR(&variant.value_) = DISP_E_PARAMNOTFOUND;
        return variant;
    }

    const VARIANT& get() const { return value_; }
    /// Hands the value over to the caller, who clears it.
    VARIANT detach() {
        const VARIANT raw = value_;
        VariantInit(&value_);
        return raw;
    }
    /// For an out parameter: clears what is held first.
    VARIANT* out() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

}  // namespace quillet::win32
