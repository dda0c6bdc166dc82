#pragma once

#include <cstdint>

#include "host/HostObjects.h"

namespace quillet {

/// Where `page` stands in `pages`, for a host whose pages have no PageIndex:
/// the place of the page that is the same object; on a host that hands out a
/// new object at every call, of the page nearest to `lastShown` (the page
/// that the caller last made the view display) that shows the same number
/// text; else the number text read as a decimal number (readPageNumber). A
/// failing host call fails it.
///
/// Reads the pages outwards from `lastShown` until it finds the page, so it
/// costs host calls in proportion to how far the view moved since.
Result<int32_t> placeOfPage(PageCollection& pages, Page& page, int32_t lastShown);

}  // namespace quillet
