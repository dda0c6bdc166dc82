#include "engine/memory/RememberedStory.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "engine/memory/UndoneWrites.h"
#include "engine/text/SameText.h"

namespace quillet {

namespace {

/// `spans` (in order) as `changes` leave them: moved with the text, or gone
/// where a change touched them. One sweep: both lists are in order.
std::vector<WrittenSpan> carriedAll(const std::vector<WrittenSpan>& spans, const std::vector<ChangedStretch>& changes,
                                    AtItsEdges edges) {
    std::vector<WrittenSpan> kept;
    kept.reserve(spans.size());
    auto change = changes.begin();
    Position shift = 0;
    for (const WrittenSpan& written : spans) {
        // Changes that end by the span's start lie before it, unless they touch it (a place).
        while (change != changes.end() && change->start + change->oldLength <= written.span.start &&
               !touches(*change, written.span, edges)) {
            shift += change->newLength - change->oldLength;
            ++change;
        }
        if (change != changes.end() && touches(*change, written.span, edges)) continue;
        kept.push_back(written.movedBy(shift));
    }
    return kept;
}

bool inWritingOrder(const WrittenSpan* a, const WrittenSpan* b) {
    return std::tie(a->span.start, a->span.length, a->writeOrder) <
           std::tie(b->span.start, b->span.length, b->writeOrder);
}

/// One job's spans from two stories that read the same text, as one list
/// in order, each only possibly the job's: spans that are the same writing
/// once, spans that overlap as one that covers both.
std::vector<WrittenSpan> mergedInDoubt(std::u16string_view text, const std::vector<WrittenSpan>& a,
                                       const std::vector<WrittenSpan>& b) {
    std::vector<const WrittenSpan*> all;
    for (const auto* spans : {&a, &b}) {
        for (const WrittenSpan& span : *spans) all.push_back(&span);
    }
    std::sort(all.begin(), all.end(), inWritingOrder);
    std::vector<WrittenSpan> merged;
    for (const WrittenSpan* span : all) {
        if (!merged.empty()) {
            WrittenSpan& last = merged.back();
            if (last.span == span->span && last.replaced == span->replaced) continue;
            // In order, a span overlaps the last one when it begins inside it.
            if (span->span.start < last.span.end()) {
                // What the covering span replaced is not known: at its edges
                // whole words see the text as it reads.
                last.span.length = std::max(last.span.end(), span->span.end()) - last.span.start;
                last.replaced = std::u16string(unitsOf(text, last.span));
                continue;
            }
        }
        merged.push_back(*span);
        merged.back().certain = false;
    }
    return merged;
}

}  // namespace

std::vector<const WrittenSpan*> RememberedStory::allWritten() const {
    std::vector<const WrittenSpan*> spans;
    for (const auto& [job, ofJob] : written) {
        for (const WrittenSpan& span : ofJob) spans.push_back(&span);
    }
    std::sort(spans.begin(), spans.end(), inWritingOrder);
    return spans;
}

bool RememberedStory::readsAsItDid(std::u16string_view now) const {
    return sameText(text, now) || (!written.empty() && undoneWrites(text, allWritten(), now).has_value());
}

RememberedStory::Change RememberedStory::follow(std::u16string_view now, NearEdits nearEdits) {
    if (sameText(text, now)) return Change::None;
    if (auto again = std::find_if(before.rbegin(), before.rend(), [&](const Before& was) { return sameText(was.text, now); });
        again != before.rend()) {
        written = std::move(again->written);
        doubt();
        carryFound(changesBetween(text, now), AtItsEdges::PlacesTouched);
        text.assign(now.data(), now.size());
        before.erase(std::prev(again.base()), before.end());
        return Change::ReadsAgain;
    }
    Change change = Change::Edit;
    if (auto undone = written.empty() ? std::nullopt : undoneWrites(text, allWritten(), now)) {
        // What was put back is gone; the rest moves with the text. A place
        // put back must go by name: carried, it would stand after its text.
        const std::set<const WrittenSpan*> gone(undone->spans.begin(), undone->spans.end());
        for (auto& [job, spans] : written) {
            std::vector<WrittenSpan> kept;
            for (const WrittenSpan& span : spans) {
                if (!gone.contains(&span)) kept.push_back(span);
            }
            spans = std::move(kept);
        }
        std::erase_if(written, [](const auto& job) { return job.second.empty(); });
        carry(undone->changes, AtItsEdges::PlacesKept);
        change = Change::Undo;
    } else {
        Before was{text, written};
        const size_t spans = allWritten().size();
        const Edit edit = editedTo(now);
        const bool tookWriting = allWritten().size() < spans;
        if (nearEdits == NearEdits::KeepWhatMayStand) keepWhatMayStand(edit.from, edit.changes, now);
        lastEdited = was;
        if (tookWriting) keepBefore(std::move(was));
    }
    text.assign(now.data(), now.size());
    return change;
}

RememberedStory::Edit RememberedStory::editedTo(std::u16string_view now) {
    const std::vector<ChangedStretch> changes = changesBetween(text, now);
    Edit edit{{text, written}, changes};
    // An undo and an edit between two presses: the latest writing may have
    // been undone first (an undo takes back the latest step first), which a
    // smaller edit of the text so put back tells. Each count of the latest
    // writes is tried, and the smallest edit is the other reading.
    constexpr size_t kMostUndone = 8;
    std::vector<const WrittenSpan*> latest = allWritten();
    std::sort(latest.begin(), latest.end(),
              [](const WrittenSpan* a, const WrittenSpan* b) { return a->writeOrder > b->writeOrder; });
    std::optional<RememberedStory> undoneFirst;
    Position smallest = unitsChanged(changes);
    for (size_t count = 1; count <= std::min(latest.size(), kMostUndone); ++count) {
        std::vector<const WrittenSpan*> tried(latest.begin(), latest.begin() + static_cast<std::ptrdiff_t>(count));
        std::sort(tried.begin(), tried.end(), inWritingOrder);
        // Writing in doubt of two jobs may overlap: no undo takes back both.
        const bool apart = std::adjacent_find(tried.begin(), tried.end(), [](const WrittenSpan* a, const WrittenSpan* b) {
                               return b->span.start < a->span.end();
                           }) == tried.end();
        if (!apart) break;
        RememberedStory reading{{}, written, std::nullopt, false, {}, std::nullopt, {}};
        std::vector<ChangedStretch> putting;
        Position copied = 0;
        for (const WrittenSpan* span : tried) {
            reading.text.append(unitsOf(text, copied, span->span.start - copied));
            reading.text.append(span->replaced);
            copied = span->span.end();
            putting.push_back({span->span.start, span->span.length, lengthOf(span->replaced)});
        }
        reading.text.append(unitsOf(text, copied, lengthOf(text) - copied));
        const std::vector<ChangedStretch> after = changesBetween(reading.text, now);
        if (unitsChanged(after) >= smallest) continue;
        smallest = unitsChanged(after);
        for (auto& [job, spans] : reading.written) {
            std::erase_if(spans, [&](const WrittenSpan& span) {
                return std::any_of(tried.begin(), tried.end(), [&](const WrittenSpan* undone) {
                    return undone->span == span.span && undone->writeOrder == span.writeOrder;
                });
            });
        }
        reading.carry(putting, AtItsEdges::PlacesKept);
        reading.carry(after);
        undoneFirst = std::move(reading);
    }
    carry(changes);
    // Both readings may be the truth: what only one of them keeps stays, in doubt.
    if (undoneFirst) keepAlsoInDoubt(*undoneFirst);
    return edit;
}

void RememberedStory::keepAlsoInDoubt(const RememberedStory& other) {
    auto holds = [](const std::map<int, std::vector<WrittenSpan>>& all, int job, const WrittenSpan& span) {
        const auto ofJob = all.find(job);
        return ofJob != all.end() && std::any_of(ofJob->second.begin(), ofJob->second.end(),
                                                 [&](const WrittenSpan& held) { return held.sameWritingAs(span); });
    };
    const auto mine = written;
    for (auto& [job, spans] : written) {
        for (WrittenSpan& span : spans) {
            if (!holds(other.written, job, span)) span.certain = false;
        }
    }
    for (const auto& [job, spans] : other.written) {
        for (const WrittenSpan& span : spans) {
            if (!holds(mine, job, span)) keepInDoubt(job, span);
        }
    }
}

void RememberedStory::keepWhatMayStand(const Before& was, const std::vector<ChangedStretch>& changes,
                                       std::u16string_view now) {
    // Where letters repeat, an edit reads more ways than one, and text that
    // a job wrote beside it or under it may stand where the reading put the
    // user's. Every place beside or under an edit that reads as such text
    // is kept, only possibly the job's. A text rewritten is no such edit:
    // what it holds alike is the user's.
    if (!isAFewEdits(changes, was.text, now)) return;
    Position shift = 0;
    for (const ChangedStretch& change : changes) {
        const Position oldEnd = change.start + change.oldLength;
        const Position newStart = change.start + shift;
        const Position newEnd = newStart + change.newLength;
        shift += change.newLength - change.oldLength;
        for (const auto& [job, spans] : was.written) {
            for (const WrittenSpan& span : spans) {
                if (span.span.length == 0 || span.span.end() < change.start || span.span.start > oldEnd) continue;
                const std::u16string_view text = unitsOf(was.text, span.span);
                const Position from = std::max<Position>(0, newStart - lengthOf(text));
                const std::u16string_view near = unitsOf(now, from, newEnd + lengthOf(text) - from);
                // Where the reading kept it and nothing else near reads so, it stands as read.
                const std::optional<Span> kept = carried(span.span, changes);
                std::vector<Span> elsewhere;
                for (size_t at = near.find(text); at != std::u16string_view::npos; at = near.find(text, at + 1)) {
                    const Span there{from + static_cast<Position>(at), lengthOf(text)};
                    if (there != kept) elsewhere.push_back(there);
                }
                if (elsewhere.empty()) continue;
                if (kept) elsewhere.push_back(*kept);
                for (const Span& there : elsewhere) keepInDoubt(job, {there, span.replaced, span.writeOrder, false});
            }
        }
    }
}

void RememberedStory::keepInDoubt(int job, WrittenSpan span) {
    span.certain = false;
    for (auto& [other, spans] : written) {
        for (WrittenSpan& kept : spans) {
            if (other == job && kept.span == span.span) {
                kept.certain = false;
                return;
            }
            const bool overlaps = kept.span.start < span.span.end() && span.span.start < kept.span.end();
            const bool placeInside = kept.span.length == 0 && span.span.start < kept.span.start && kept.span.start < span.span.end();
            if (overlaps || placeInside) return;
        }
    }
    std::vector<WrittenSpan>& spans = written[job];
    const auto at = std::lower_bound(spans.begin(), spans.end(), span, [](const WrittenSpan& a, const WrittenSpan& b) {
        return std::tie(a.span.start, a.span.length, a.writeOrder) < std::tie(b.span.start, b.span.length, b.writeOrder);
    });
    spans.insert(at, std::move(span));
}

void RememberedStory::keepBefore(Before was) {
    // A few edits back are enough for the undos that users make between presses.
    constexpr size_t kMostBefore = 4;
    before.push_back(std::move(was));
    if (before.size() > kMostBefore) before.erase(before.begin());
}

void RememberedStory::carry(const std::vector<ChangedStretch>& changes, AtItsEdges edges) {
    for (auto& [job, spans] : written) spans = carriedAll(spans, changes, edges);
    std::erase_if(written, [](const auto& job) { return job.second.empty(); });
    if (current) current = carried(*current, changes, edges);
    carryFound(changes, edges);
}

void RememberedStory::carryFound(const std::vector<ChangedStretch>& changes, AtItsEdges edges) {
    for (auto row = found.begin(); row != found.end();) {
        const std::optional<Span> moved = carried(row->second, changes, edges);
        if (!moved) {
            row = found.erase(row);
            continue;
        }
        row->second = *moved;
        ++row;
    }
}

bool RememberedStory::keepsWritingIn(std::u16string_view now) const {
    if (written.empty()) return false;
    RememberedStory followed{text, written, std::nullopt, false, before, std::nullopt, {}};
    followed.follow(now, NearEdits::LeaveAsRead);
    return !followed.written.empty();
}

void RememberedStory::doubt() {
    for (auto& [job, spans] : written) {
        for (WrittenSpan& span : spans) span.certain = false;
    }
}

bool RememberedStory::sameWritingAs(const RememberedStory& other) const {
    return std::equal(written.begin(), written.end(), other.written.begin(), other.written.end(),
                      [](const auto& mine, const auto& theirs) {
                          return mine.first == theirs.first &&
                                 std::equal(mine.second.begin(), mine.second.end(), theirs.second.begin(),
                                            theirs.second.end(),
                                            [](const WrittenSpan& a, const WrittenSpan& b) { return a.sameWritingAs(b); });
                      });
}

void RememberedStory::mergeInDoubt(const RememberedStory& other) {
    static const std::vector<WrittenSpan> kNone;
    std::set<int> jobs;
    for (const auto& [job, spans] : written) jobs.insert(job);
    for (const auto& [job, spans] : other.written) jobs.insert(job);
    for (const int job : jobs) {
        const auto theirs = other.written.find(job);
        const auto mine = written.find(job);
        written[job] = mergedInDoubt(text, mine == written.end() ? kNone : mine->second,
                                     theirs == other.written.end() ? kNone : theirs->second);
    }
}

}  // namespace quillet
