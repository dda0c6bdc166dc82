#pragma once

#include <cstdint>
#include <string>

#include "engine/Counts.h"

namespace quillet {

// What the engine's boxes say of occurrences that it left because they may
// be what the same replacement wrote before: where text boxes moved or read
// alike, or another publication could not be told apart, it cannot be sure.

/// Replace All's box in place of "Replace complete!" when it left some:
/// "Replaced all but 2 occurrences, which may be ..."
inline std::u16string allButInDoubt(int64_t left) {
    if (left == 1)
        return u"Replaced all but 1 occurrence, which may be text that this replacement wrote before: it was left as it "
               u"was.";
    return u"Replaced all but " + withThousands(left) +
           u" occurrences, which may be text that this replacement wrote before: they were left as they were.";
}

/// What the box at the end of one Replace after another adds: " 2 more may be ..."
inline std::u16string moreInDoubt(int64_t left) {
    if (left == 1) return u" 1 more may be text that it wrote before, and was left as it was.";
    return u" " + withThousands(left) + u" more may be text that it wrote before, and were left as they were.";
}

}  // namespace quillet
