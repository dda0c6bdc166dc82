#include "engine/text/unicode/CodePointClass.h"

#include <algorithm>
#include <iterator>

namespace quillet::unicode {

CodePointClass supplementaryClassOf(char32_t cp) {
    // The last run starting at or before cp is the only one that can hold it.
    const tables::ClassRun* first = tables::kClassSuppRuns;
    const tables::ClassRun* last = first + tables::kClassSuppRunCount;
    const tables::ClassRun* after = std::upper_bound(
        first, last, cp, [](char32_t value, const tables::ClassRun& run) { return value < run.first; });
    if (after == first || cp > std::prev(after)->last) return CodePointClass::Other;
    return std::prev(after)->cls;
}

}  // namespace quillet::unicode
