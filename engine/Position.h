#pragma once

#include <cstdint>

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

}  // namespace quillet
