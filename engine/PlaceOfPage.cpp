#include "engine/PlaceOfPage.h"

#include <algorithm>
#include <optional>

#include "engine/PageNumber.h"

namespace quillet {

Result<int32_t> placeOfPage(PageCollection& pages, Page& page, int32_t lastShown) {
    auto number = page.number();
    if (!number) return number.error();
    auto count = pages.count();
    if (!count) return count.error();

    // The user mostly turns a page or two from where the engine left the
    // view, so the pages are read outwards from there (the last shown page,
    // the one after it, the one before it, ...): the cost is the distance,
    // not the publication.
    const int32_t hint = std::clamp(lastShown, 1, std::max(*count, 1));
    std::optional<bool> keepsObjects;
    for (int32_t step = 0, read = 0; read < *count; ++step) {
        const int32_t index = step % 2 ? hint + (step + 1) / 2 : hint - step / 2;
        if (index < 1 || index > *count) continue;
        ++read;
        auto candidate = pages.item(index);
        if (!candidate) return candidate.error();
        if ((*candidate)->isSameObject(page)) return index;
        auto shown = (*candidate)->number();
        if (!shown) return shown.error();
        if (*shown != *number) continue;
        // A host that hands out the same object for a page at every call
        // would have answered by identity: this page only shows the same
        // number as the displayed one (sections that each start at 1, say).
        if (!keepsObjects) {
            auto again = pages.item(index);
            if (!again) return again.error();
            keepsObjects = (*again)->isSameObject(**candidate);
        }
        if (!*keepsObjects) return index;
    }
    return readPageNumber(*number);
}

}  // namespace quillet
