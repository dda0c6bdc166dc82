#include "engine/PlaceOfPage.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/PageNumber.h"

namespace quillet {

Result<int32_t> placeOfPage(PageCollection& pages, Page& page, int32_t lastShown) {
    auto number = page.number();
    if (!number) return number.error();
    auto count = pages.count();
    if (!count) return count.error();

    std::vector<int32_t> showingTheNumber;
    for (int32_t index = 1; index <= *count; ++index) {
        auto candidate = pages.item(index);
        if (!candidate) return candidate.error();
        if ((*candidate)->isSameObject(page)) return index;
        auto shown = (*candidate)->number();
        if (!shown) return shown.error();
        if (*shown == *number) showingTheNumber.push_back(index);
    }
    if (showingTheNumber.size() == 1) return showingTheNumber.front();
    // Pages that show the same number (sections that each start at 1, say)
    // are told apart by the page that the view was last made to display.
    if (std::ranges::find(showingTheNumber, lastShown) != showingTheNumber.end()) return lastShown;
    return readPageNumber(*number);
}

}  // namespace quillet
