#pragma once

#include <cstdint>
#include <string>

namespace quillet {

/// A failure as the add-in sees it: a signed number (an HRESULT for host
/// failures, a small positive number for the add-in's own run-time errors)
/// and a description. Host failures keep the host's number and text.
struct RaisedError {
    int32_t number = 0;
    std::u16string description;

    friend bool operator==(const RaisedError&, const RaisedError&) = default;
};

/// Run-time errors that the add-in raises itself.
namespace errors {

/// A 16-bit count or counter would overflow.
inline RaisedError overflow() { return {6, u"Overflow"}; }

/// A call through an empty object reference.
inline RaisedError objectNotSet() { return {91, u"Object variable or With block variable not set"}; }

/// A text that should be read as a number is not one.
inline RaisedError typeMismatch() { return {13, u"Type mismatch"}; }

}  // namespace errors

/// Host failure numbers that the add-in reacts to or that the stand-in host reports.
namespace hresults {

/// Selecting text that does not lie on the page that the view displays.
inline constexpr int32_t kNotOnDisplayedPage = -2147221473;  // 0x8004001F
/// An index or key outside a collection, or an argument out of range.
inline constexpr int32_t kInvalidArgument = -2147024809;  // 0x80070057
/// A member that the object does not have, looked up by name: an older
/// host lacks some members of current ones.
inline constexpr int32_t kUnknownName = -2147352570;  // 0x80020006, DISP_E_UNKNOWNNAME
/// A member that the object does not answer: how a host that looks names up
/// only when a member is called may answer one that it does not have.
inline constexpr int32_t kMemberNotFound = -2147352573;  // 0x80020003, DISP_E_MEMBERNOTFOUND
/// Any other failure.
inline constexpr int32_t kUnspecified = -2147467259;  // 0x80004005

}  // namespace hresults

/// Whether `error` says that the host has no such member, as an older host
/// answers for a member that only current ones have.
inline bool isMissingMember(const RaisedError& error) {
    return error.number == hresults::kUnknownName || error.number == hresults::kMemberNotFound;
}

}  // namespace quillet
