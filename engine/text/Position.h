#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillet {

/// A place in a story's text, or a length there: 0-based, in UTF-16 code
/// units. The engine counts in it throughout; HostChain turns it into the
/// host's 1-based 32-bit positions, and only the system's own 16-bit values
/// are held narrower.
using Position = std::int64_t;

/// A stretch of a story's text: `length` units from `start`. A length of 0
/// is a place between two units.
struct Span {
    Position start = 0;
    Position length = 0;

    Position end() const { return start + length; }
    friend bool operator==(const Span&, const Span&) = default;
};

/// The length of `text` as a position.
inline Position lengthOf(std::u16string_view text) { return static_cast<Position>(text.size()); }

/// The units of `text` from `start`, `length` of them (or as many as there are).
inline std::u16string_view unitsOf(std::u16string_view text, Position start, Position length) {
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(length));
}
inline std::u16string_view unitsOf(std::u16string_view text, Span span) {
    return unitsOf(text, span.start, span.length);
}

}  // namespace quillet
