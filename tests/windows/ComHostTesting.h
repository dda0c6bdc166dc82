#pragma once

// What the tests of the stand-in host's COM server share: a small
// publication and command bars, and the thread's error info as a value.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/ComPtr.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/windows/OutVoid.h"

namespace quillet::test {

inline constexpr wchar_t kBarName[] = L"Tarnwick Find/Replace";

/// Three pages numbered i, ii, iii, displaying page 1; story 1 on page 1,
/// story 2 on page 2, story 3 on no page. One bar with a button "Find" and a
/// control "Menu" that is no button.
inline simhost::InMemoryHost makeHost() {
    simhost::PublicationModel publication;
    publication.pageNumbers = {u"i", u"ii", u"iii"};
    publication.stories = {
        {u"The cat sat on the mat.", {simhost::Frame{1, 0}}},
        {u"A cat on page two.", {simhost::Frame{2, 0}}},
        {u"Overflow cat.", {simhost::Frame{0, 0}}},
    };
    simhost::BarModel bar{u"Tarnwick Find/Replace", true, true, {}};
    bar.controls = {{u"Find", 1, 46, true, true}, {u"Menu", 10, 0, true, true}};
    return simhost::InMemoryHost(std::move(publication), {bar});
}

/// The control captioned `caption` on the host's bar "Tarnwick Find/Replace".
inline ToolbarControlRef barControl(simhost::InMemoryHost& host, const std::u16string& caption) {
    auto toolbars = host.application()->toolbars();
    EXPECT_TRUE(toolbars.ok());
    auto bar = (*toolbars)->item(u"Tarnwick Find/Replace");
    EXPECT_TRUE(bar.ok());
    auto controls = (*bar)->controls();
    EXPECT_TRUE(controls.ok());
    auto control = (*controls)->item(caption);
    EXPECT_TRUE(control.ok());
    return *control;
}

/// Counts the clicks that the host raises on a button.
class CountingSink : public ButtonClickSink {
public:
    void Click(const ToolbarButtonRef&, bool&) override { ++clicks; }
    int clicks = 0;
};

/// The thread's error info, taken (GetErrorInfo clears it).
struct ErrorInfoSeen {
    GUID guid{};
    std::wstring source;
    std::wstring description;
};

inline std::optional<ErrorInfoSeen> takeErrorInfo() {
    win32::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) != S_OK || !info) return std::nullopt;
    ErrorInfoSeen seen;
    info->GetGUID(&seen.guid);
    BSTR text = nullptr;
    if (SUCCEEDED(info->GetSource(&text)) && text) seen.source.assign(text, SysStringLen(text));
    SysFreeString(text);
    text = nullptr;
    if (SUCCEEDED(info->GetDescription(&text)) && text) seen.description.assign(text, SysStringLen(text));
    SysFreeString(text);
    return seen;
}

/// A BSTR out parameter's text, freed afterwards.
class BstrOut {
public:
    BstrOut() = default;
    BstrOut(const BstrOut&) = delete;
    BstrOut& operator=(const BstrOut&) = delete;
    ~BstrOut() { SysFreeString(raw_); }
    BSTR* out() {
        SysFreeString(raw_);
        raw_ = nullptr;
        return &raw_;
    }
    BSTR get() const { return raw_; }
    std::wstring text() const { return std::wstring(raw_ ? raw_ : L"", SysStringLen(raw_)); }

private:
    BSTR raw_ = nullptr;
};

/// A BSTR argument, freed afterwards.
class BstrIn {
public:
    explicit BstrIn(const std::wstring& text) : raw_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    BstrIn(const BstrIn&) = delete;
    BstrIn& operator=(const BstrIn&) = delete;
    ~BstrIn() { SysFreeString(raw_); }
    BSTR get() const { return raw_; }

private:
    BSTR raw_;
};

/// A VARIANT holding a copy of a string, cleared afterwards.
class TextVariant {
public:
    explicit TextVariant(const std::wstring& text) {
        VariantInit(&value_);
        V_VT(&value_) = VT_BSTR;
        V_BSTR(&value_) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    TextVariant(const TextVariant&) = delete;
    TextVariant& operator=(const TextVariant&) = delete;
    ~TextVariant() { VariantClear(&value_); }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

inline VARIANT int4Variant(LONG number) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return value;
}

inline VARIANT int2Variant(SHORT number) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_I2;
    V_I2(&value) = number;
    return value;
}

/// An optional argument that the caller left out.
inline VARIANT missingVariant() {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_ERROR;
    V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
    return value;
}

}  // namespace quillet::test
