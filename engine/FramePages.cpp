#include "engine/FramePages.h"

namespace quillet {

namespace {

bool standsAt(std::u16string_view story, Position start, std::u16string_view text) {
    return start >= 0 && start + lengthOf(text) <= lengthOf(story) && unitsOf(story, start, lengthOf(text)) == text;
}

}  // namespace

Result<std::optional<ShownStretch>> FramePages::locate(const std::u16string& text, TextSpan& range) {
    // Where each story's frames would go on: most frames are told so.
    std::vector<int32_t> where;
    for (size_t s = 0; s < stories_.size(); ++s) {
        if (standsAt(stories_[s], nextFrame_[s], text)) where.push_back(static_cast<int32_t>(s));
    }
    Position start = where.empty() ? -1 : nextFrame_[static_cast<size_t>(where.front())];
    if (where.size() != 1) {
        auto read = range.start();
        if (!read) return read.error();
        start = *read;
        where.clear();
        // Stories whose frames were told so far first, then any that reads so there.
        for (size_t s = 0; s < stories_.size(); ++s) {
            if (nextFrame_[s] <= start && standsAt(stories_[s], start, text)) where.push_back(static_cast<int32_t>(s));
        }
        for (size_t s = 0; s < stories_.size() && where.empty(); ++s) {
            if (standsAt(stories_[s], start, text)) where.push_back(static_cast<int32_t>(s));
        }
    }
    if (where.empty()) return std::optional<ShownStretch>();
    // Alike stories stand for one another: each frame goes to the first
    // one that has not shown that stretch yet.
    const auto s = static_cast<size_t>(where.front());
    nextFrame_[s] = start + lengthOf(text);
    return std::optional(ShownStretch{static_cast<int32_t>(s) + 1, Span{start, lengthOf(text)}, 0});
}

Result<bool> FramePages::walk(const Wanted& wanted, const Numbered& numbered, const std::function<bool()>& done) {
    nextFrame_.assign(stories_.size(), 0);
    auto count = host_.pageCount();
    if (!count) return count.error();
    for (int32_t place = 1; place <= *count && !done(); ++place) {
        auto page = host_.page(place);
        if (!page) return page.error();
        auto shapes = (*page)->shapes();
        if (!shapes && isMissingMember(shapes.error())) return false;
        if (!shapes) return shapes.error();
        auto shapeCount = (*shapes)->count();
        if (!shapeCount) return shapeCount.error();
        std::vector<ShownStretch> stretches;
        for (int32_t item = 1; item <= *shapeCount; ++item) {
            auto shape = (*shapes)->item(item);
            if (!shape) return shape.error();
            auto frame = (*shape)->textFrame();
            if (!frame) {
                // A picture or a line has no frame, and says so when asked;
                // anything else is the host failing.
                auto hasFrame = (*shape)->hasTextFrame();
                if (hasFrame && !*hasFrame) continue;
                return frame.error();
            }
            auto range = (*frame)->textRange();
            if (!range) return range.error();
            auto text = (*range)->text();
            if (!text) return text.error();
            if (text->empty()) continue;
            auto stretch = locate(*text, **range);
            if (!stretch) return stretch.error();
            if (!*stretch) continue;
            (*stretch)->page = place;
            stretches.push_back(**stretch);
        }
        if (!wanted(stretches)) continue;
        auto number = (*page)->number();
        if (!number) return number.error();
        numbered(*number);
    }
    return true;
}

}  // namespace quillet
