#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillet::simhost {

/// A frame on a page (0: on no page) holding `length` code units of its story;
/// the last frame of a story holds the rest, whatever its length says.
struct Frame {
    int32_t page = 1;
    int32_t length = 0;
};

struct StoryModel {
    std::u16string text;
    std::vector<Frame> frames{Frame{}};
};

/// A selected span: 1-based story index and start, as the host counts.
struct SelectionModel {
    int32_t story = 1;
    int32_t start = 1;
    int32_t length = 0;

    friend bool operator==(const SelectionModel&, const SelectionModel&) = default;
};

struct PublicationModel {
    std::vector<std::u16string> pageNumbers{u"1"};
    std::vector<StoryModel> stories;
    std::optional<SelectionModel> selection;
    int32_t displayedPage = 1;
};

}  // namespace quillet::simhost
