#include "dialogs/PixelLayout.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace quillet {

int pixelsOf(int twips, int dpi) {
    const int64_t scaled = int64_t{twips} * dpi;
    // Half a pixel rounds away from zero.
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : (scaled - 720) / 1440);
}

PixelLayout layOut(const FormLayout& layout, int dpi, std::span<const int> captionWidths) {
    PixelLayout placed{pixelsOf(layout.clientWidth, dpi), pixelsOf(layout.clientHeight, dpi), {}};
    // The widening that each left edge asks of everything to its right.
    std::map<int, int> wideningAt;
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlSpec& entry = layout.controls[i];
        PixelRect rect{pixelsOf(entry.left, dpi), pixelsOf(entry.top, dpi), pixelsOf(entry.width, dpi),
                       pixelsOf(entry.height, dpi)};
        const int needed = i < captionWidths.size() ? captionWidths[i] : 0;
        if (needed > rect.width) {
            int& widening = wideningAt[rect.left];
            widening = std::max(widening, needed - rect.width);
            rect.width = needed;
        }
        placed.controls.push_back(rect);
    }
    const auto shiftAt = [&wideningAt](int x) {
        int shift = 0;
        for (auto [edge, widening] : wideningAt) {
            if (edge < x) shift += widening;
        }
        return shift;
    };
    for (PixelRect& rect : placed.controls) rect.left += shiftAt(rect.left);
    placed.clientWidth += shiftAt(placed.clientWidth);
    return placed;
}

}  // namespace quillet
