#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "engine/memory/TextChange.h"
#include "engine/memory/WrittenSpan.h"

namespace quillet {

/// The written spans that an undo put back, and its changes.
struct UndoneWrites {
    std::vector<const WrittenSpan*> spans;
    std::vector<ChangedStretch> changes;
};

/// When `after` is `before` with some of `spans` (in order) put back
/// to the text that they replaced and nothing else changed, as an undo
/// leaves it: those put back. Where a span's text reads both ways (a
/// replacement that begins with what it replaced), what follows decides; a
/// choice that leads nowhere is not tried twice.
std::optional<UndoneWrites> undoneWrites(std::u16string_view before, const std::vector<const WrittenSpan*>& spans,
                                         std::u16string_view after);

}  // namespace quillet
