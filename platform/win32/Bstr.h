#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace quillet::win32 {

/// Owns a BSTR; converts between BSTR and the add-in's UTF-16 text.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::u16string& text)
        : raw_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ~Bstr() { SysFreeString(raw_); }

    /// Takes over a BSTR that the caller owns.
    static Bstr adopt(BSTR raw) {
        Bstr owned;
        owned.raw_ = raw;
        return owned;
    }

    BSTR get() const { return raw_; }
    BSTR* out() {
        SysFreeString(std::exchange(raw_, nullptr));
        return &raw_;
    }
    BSTR detach() { return std::exchange(raw_, nullptr); }

    /// The text, every code unit as it is (a null BSTR is the empty text).
    static std::u16string text(BSTR value) {
        return std::u16string(reinterpret_cast<const char16_t*>(value), SysStringLen(value));
    }
    std::u16string text() const { return text(raw_); }

private:
    BSTR raw_ = nullptr;
};

}  // namespace quillet::win32
