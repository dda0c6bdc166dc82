#include "engine/PageWalk.h"

#include "engine/PlaceOfPage.h"

namespace quillet {

Result<int32_t> PageWalk::placeOf(const PageRef& page) {
    auto index = page->index();
    if (index || !isMissingMember(index.error())) return index;
    return host_.pages().and_then(
        [&](const PageCollectionRef& pages) { return placeOfPage(*pages, *page, lastShown_); });
}

Result<PageWalk::Selection> PageWalk::select(int32_t story, Span span) {
    auto target = host_.spanOf(story, span);
    auto attempt = [&]() -> Status { return target ? (*target)->select() : Status(target.error()); };
    // A refusal for any other reason than the page ends the walk at once.
    auto refused = [](const Status& status) {
        return !status && status.error().number != hresults::kNotOnDisplayedPage;
    };
    if (Status first = attempt(); first) return Selection{};
    else if (refused(first)) return Selection{Outcome::Refused, first.error()};

    auto count = host_.pageCount();
    if (!count) return count.error();
    auto displayed = host_.displayedPage();
    if (!displayed) return displayed.error();
    auto shown = placeOf(*displayed);
    if (!shown) return shown.error();

    // A displayed page that is not one of the collection's (a number that
    // an older host shows for it, read as its place) leaves every page to try.
    const bool shownIsAPlace = *shown >= 1 && *shown <= *count;
    auto known = shownOn_.find(story);
    int32_t place = known != shownOn_.end() && known->second != *shown ? known->second : *shown + 1;
    for (int32_t tried = shownIsAPlace ? 1 : 0; tried < *count; ++tried, ++place) {
        if (place > *count || place < 1) place = 1;
        if (place == *shown) place = place % *count + 1;
        restorer_.quietScreen();
        if (Status displayedNow = host_.displayPage(place); !displayedNow) return displayedNow.error();
        lastShown_ = place;
        const Status selected = attempt();
        if (selected) {
            shownOn_[story] = place;
            return Selection{};
        }
        if (refused(selected)) return Selection{Outcome::Refused, selected.error()};
    }
    // No page shows it: the view goes back to the page that the user had.
    if (shownIsAPlace && *count > 1) {
        if (Status back = host_.displayPage(*shown); !back) return back.error();
        lastShown_ = *shown;
    }
    return Selection{Outcome::OnNoPage, {}};
}

}  // namespace quillet
