#pragma once

#include <cstdint>

#include "host/HostObjects.h"

namespace quillet {

/// Where `page` stands in `pages`, for a host whose pages have no PageIndex:
/// the place of the page that is the same object; else of the only page that
/// shows the same number text; else, of the pages that show it, `lastShown`,
/// the page that the caller last made the view display; else the number text
/// read as a decimal number (readPageNumber). A failing host call fails it.
///
/// Reads every page of the collection, so it costs as many host calls as
/// there are pages.
Result<int32_t> placeOfPage(PageCollection& pages, Page& page, int32_t lastShown);

}  // namespace quillet
