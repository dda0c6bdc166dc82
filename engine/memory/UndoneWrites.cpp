#include "engine/memory/UndoneWrites.h"

#include <set>
#include <utility>

namespace quillet {

namespace {

/// Reads `after` span by span: the unchanged text before each span, then
/// the span as written or as taken back. A reading that leads nowhere goes
/// back to the last span read as written and reads it as taken back.
class UndoReading {
public:
    UndoReading(std::u16string_view before, const std::vector<const WrittenSpan*>& spans, std::u16string_view after)
        : before_(before), spans_(spans), after_(after) {}

    /// For each span, whether it was taken back; empty when `after` cannot
    /// be read so.
    std::optional<std::vector<bool>> read() {
        for (;;) {
            const size_t i = path_.size();
            const Position at = gapAt_[i];
            std::optional<Position> spanAt;
            if (!deadEnds_.contains({i, at})) spanAt = gapEnd(i, at);
            if (spanAt && i == spans_.size() && *spanAt == lengthOf(after_)) return path_;
            const bool resuming = std::exchange(resumeTakenBack_, false);
            if (spanAt && i < spans_.size() && readSpan(i, *spanAt, resuming)) continue;
            deadEnds_.insert({i, at});
            if (!backUp()) return std::nullopt;
        }
    }

private:
    /// Where the unchanged text before span `i` (or after the last) ends in
    /// `after` when it stands at `at` there.
    std::optional<Position> gapEnd(size_t i, Position at) const {
        const Position from = i == 0 ? 0 : spans_[i - 1]->span.end();
        const Position to = i < spans_.size() ? spans_[i]->span.start : lengthOf(before_);
        // Spans in doubt of two jobs may overlap (either story could be the
        // other): no undo reads through both.
        if (to < from || at + (to - from) > lengthOf(after_)) return std::nullopt;
        if (unitsOf(after_, at, to - from) != unitsOf(before_, from, to - from))
            return std::nullopt;
        return at + (to - from);
    }

    /// Span `i` as written, or as taken back.
    std::u16string_view version(size_t i, bool takenBack) const {
        const Span& span = spans_[i]->span;
        return takenBack ? std::u16string_view(spans_[i]->replaced)
                         : unitsOf(before_, span);
    }

    /// Reads span `i` at `at`: as written first, unless `resuming` after a
    /// dead end that tried that already. False when neither fits.
    bool readSpan(size_t i, Position at, bool resuming) {
        for (const bool takenBack : {false, true}) {
            if (resuming && !takenBack) continue;
            const std::u16string_view text = version(i, takenBack);
            if (unitsOf(after_, at, lengthOf(text)) != text) continue;
            path_.push_back(takenBack);
            gapAt_.push_back(at + lengthOf(text));
            return true;
        }
        return false;
    }

    /// Back to the last span read as written, to read it as taken back.
    /// False when there is none: no reading is left.
    bool backUp() {
        for (;;) {
            if (path_.empty()) return false;
            const bool wasTakenBack = path_.back();
            path_.pop_back();
            gapAt_.pop_back();
            if (!wasTakenBack) break;
            deadEnds_.insert({path_.size(), gapAt_.back()});
        }
        resumeTakenBack_ = true;
        return true;
    }

    std::u16string_view before_;
    const std::vector<const WrittenSpan*>& spans_;
    std::u16string_view after_;
    std::vector<bool> path_;  // for each span read: whether it was taken back
    std::vector<Position> gapAt_{0};
    std::set<std::pair<size_t, Position>> deadEnds_;
    bool resumeTakenBack_ = false;
};

}  // namespace

std::optional<UndoneWrites> undoneWrites(std::u16string_view before, const std::vector<const WrittenSpan*>& spans,
                                         std::u16string_view after) {
    const auto takenBack = UndoReading(before, spans, after).read();
    if (!takenBack) return std::nullopt;
    UndoneWrites undone;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (!(*takenBack)[i]) continue;
        undone.spans.push_back(spans[i]);
        undone.changes.push_back(
            {spans[i]->span.start, spans[i]->span.length, static_cast<Position>(spans[i]->replaced.size())});
    }
    if (undone.spans.empty()) return std::nullopt;
    return undone;
}

}  // namespace quillet
