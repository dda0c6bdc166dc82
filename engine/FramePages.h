#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/HostChain.h"
#include "engine/text/Position.h"

namespace quillet {

/// A stretch of a story that a page shows, in one of its text frames.
struct ShownStretch {
    int32_t story = 0;
    Span span;
    /// The 1-based place of the page in the page collection.
    int32_t page = 0;
};

/// What the pages' shapes tell of where the stories stand, without turning
/// a page: for each page, each text frame's stretch of its story. A frame
/// is told by its text: where it begins is read only when that text could
/// be more than one story's. `stories` holds every story's text as read in
/// this press.
///
/// `wanted(page's stretches)` says, page by page, whether the page shows
/// something that the caller needs its number for; `done()` whether the
/// pages left can tell nothing more. Nothing when the host has no shapes
/// (an older host); a host failure fails it.
class FramePages {
public:
    FramePages(HostChain& host, const std::vector<std::u16string>& stories) : host_(host), stories_(stories) {}

    /// Reads the pages in order until `done()`. For each page whose
    /// stretches `wanted` takes, the page's number is read and given back.
    using Wanted = std::function<bool(const std::vector<ShownStretch>& stretches)>;
    using Numbered = std::function<void(const std::u16string& number)>;
    Result<bool> walk(const Wanted& wanted, const Numbered& numbered, const std::function<bool()>& done);

private:
    /// The story and place that a frame showing `text` stands for, reading
    /// where it begins from `range` only when the text alone cannot tell.
    Result<std::optional<ShownStretch>> locate(const std::u16string& text, TextSpan& range);

    HostChain& host_;
    const std::vector<std::u16string>& stories_;
    /// Where the next frame of each story would begin, by story (0-based):
    /// a story's frames come in order, so this is where each is looked for first.
    std::vector<Position> nextFrame_;
};

}  // namespace quillet
