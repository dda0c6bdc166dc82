#include "dialogs/FoundRows.h"

#include <string>

#include "dialogs/FoundListColumns.h"

namespace quillet {

namespace {

std::u16string decimal(int64_t value) {
    std::u16string text;
    for (const char c : std::to_string(value)) text.push_back(static_cast<char16_t>(c));
    return text;
}

}  // namespace

std::u16string FoundRows::cell(size_t index, size_t column) const {
    const FoundRow& row = list_.rows[index];
    switch (column) {
        case foundColumns::Page:
            if (row.page) return row.pageNumber;
            return row.onNoPage ? u"no page" : u"";
        case foundColumns::Context:
            return row.context.text;
        case foundColumns::Story:
            return decimal(row.story);
        case foundColumns::Start:
            return decimal(row.span.start + 1);
        case foundColumns::Length:
            return decimal(row.span.length);
        case foundColumns::Place:
            return row.page ? decimal(*row.page) : u"";
        default:
            return {};
    }
}

std::pair<size_t, size_t> FoundRows::setApart(size_t index) const {
    const Span occurrence = list_.rows[index].context.occurrence;
    return {static_cast<size_t>(occurrence.start), static_cast<size_t>(occurrence.length)};
}

}  // namespace quillet
