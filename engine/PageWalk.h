#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "engine/HostChain.h"
#include "engine/HostRestorer.h"

namespace quillet {

/// Selects text of a story where a page shows it. The host selects only text
/// that lies on the page its view displays, so a refused selection walks the
/// pages: the displayed page first, then those after it, then from the first
/// page up to it; a story that a page showed before is looked for on that
/// page first. Once the walk leaves the displayed page, the host draws
/// nothing until the engine puts it back (HostRestorer), so that the user
/// sees one change, not every page.
///
/// A walk reads where the displayed page stands in the page collection once:
/// its PageIndex, or on an older host without one, the place that
/// placeOfPage finds by reading the pages outwards from the one the engine
/// last displayed. From there it counts places.
class PageWalk {
public:
    PageWalk(HostChain& host, HostRestorer& restorer) : host_(host), restorer_(restorer) {}

    enum class Outcome {
        Selected,  // the text is the publication's selection now
        OnNoPage,  // no page shows it; the view displays what it displayed before
        Refused,   // the host refused the selection for another reason: `refusal`
    };
    struct Selection {
        Outcome outcome = Outcome::Selected;
        RaisedError refusal;
    };

    /// Selects `span` of `story`. The walk's own reading of the pages fails
    /// as the host does.
    Result<Selection> select(int32_t story, Span span);

    /// Where `page` stands in the page collection.
    Result<int32_t> placeOf(const PageRef& page);

private:

    HostChain& host_;
    HostRestorer& restorer_;
    /// The page that showed each story's selection last, by story.
    std::map<int32_t, int32_t> shownOn_;
    /// The page that the engine last made the view display, which tells
    /// apart pages that show the same number on an older host.
    int32_t lastShown_ = 1;
};

}  // namespace quillet
