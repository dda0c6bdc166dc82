#pragma once

#include <cstdint>

#include "base/RaisedError.h"

namespace quillet {

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
