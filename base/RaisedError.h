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

}  // namespace quillet
