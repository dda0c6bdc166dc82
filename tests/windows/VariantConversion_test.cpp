// A VARIANT read as a text, a number, a Boolean or an object
// (platform/win32/VariantConversion), as both the arguments of calls on our
// objects and the host's answers are read.

#include <gtest/gtest.h>

#include "platform/win32/Variant.h"
#include "platform/win32/VariantConversion.h"

namespace quillet::test {
namespace {

using win32::ComPtr;
using win32::Variant;

/// A reference to `target`, as a caller passes a Variant argument by reference.
VARIANT referenceTo(VARIANT& target) {
    VARIANT reference;
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &target;
    return reference;
}

TEST(VariantConversion, ValuesAreConvertedAsAutomationConvertsThem) {
    std::u16string text;
    EXPECT_EQ(S_OK, win32::textOf(Variant::number(12).get(), &text));
    EXPECT_EQ(u"12", text);
    int32_t number = 0;
    EXPECT_EQ(S_OK, win32::numberOf(Variant::text(u"34").get(), &number));
    EXPECT_EQ(34, number);
    bool boolean = false;
    EXPECT_EQ(S_OK, win32::booleanOf(Variant::number(2).get(), &boolean));
    EXPECT_TRUE(boolean);
    EXPECT_EQ(S_OK, win32::booleanOf(Variant::boolean(false).get(), &boolean));
    EXPECT_FALSE(boolean);

    // A failure is the conversion's, and leaves the value as it was.
    EXPECT_EQ(DISP_E_TYPEMISMATCH, win32::numberOf(Variant::text(u"five").get(), &number));
    EXPECT_EQ(34, number);
    VARIANT large;
    V_VT(&large) = VT_R8;
    V_R8(&large) = 3e10;
    EXPECT_EQ(DISP_E_OVERFLOW, win32::numberOf(large, &number));
    EXPECT_EQ(34, number);
}

TEST(VariantConversion, AReferenceToAVariantIsSeenThroughToWhatItHolds) {
    VARIANT held;
    V_VT(&held) = VT_I4;
    V_I4(&held) = 7;
    VARIANT once = referenceTo(held);
    VARIANT twice = referenceTo(once);
    EXPECT_EQ(&held, &win32::seenThrough(twice));
    std::u16string text;
    EXPECT_EQ(S_OK, win32::textOf(once, &text));
    EXPECT_EQ(u"7", text);

    VARIANT none;
    V_VT(&none) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&none) = nullptr;
    EXPECT_EQ(&none, &win32::seenThrough(none));
}

TEST(VariantConversion, NothingIsANullObjectAndANumberIsNone) {
    VARIANT empty;
    V_VT(&empty) = VT_EMPTY;
    VARIANT null;
    V_VT(&null) = VT_NULL;
    const Variant noObject = Variant::object(nullptr);
    const VARIANT emptyByReference = referenceTo(empty);
    const VARIANT* const nothings[] = {&empty, &null, &noObject.get(), &emptyByReference};
    for (const VARIANT* nothing : nothings) {
        ComPtr<IDispatch> object;
        EXPECT_EQ(S_OK, win32::objectOf(*nothing, &object));
        EXPECT_FALSE(object);
    }
    ComPtr<IDispatch> object;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, win32::objectOf(Variant::number(1).get(), &object));
}

}  // namespace
}  // namespace quillet::test
