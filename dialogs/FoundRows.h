#pragma once

#include "engine/FoundList.h"
#include "platform/Window.h"

namespace quillet {

/// A list of found occurrences as the list control shows it, in the
/// columns of kFoundColumns: read from the engine's list at each draw.
class FoundRows final : public ListRows {
public:
    explicit FoundRows(const FoundList& list) : list_(list) {}

    size_t rowCount() const override { return list_.rows.size(); }
    std::u16string cell(size_t row, size_t column) const override;
    std::pair<size_t, size_t> setApart(size_t row) const override;
    bool checked(size_t row) const override { return list_.rows[row].checked; }
    bool stale(size_t row) const override { return list_.rows[row].stale; }

private:
    const FoundList& list_;
};

}  // namespace quillet
