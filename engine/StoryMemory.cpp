#include "engine/StoryMemory.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "engine/SameText.h"
#include "engine/UndoneWrites.h"

namespace quillet {

namespace {

/// The most jobs whose writing is remembered at once.
constexpr size_t kJobs = 8;

/// `spans` (in order) as `changes` leave them: moved with the text, or gone
/// where a change touched them. One sweep: both lists are in order.
std::vector<WrittenSpan> carriedAll(const std::vector<WrittenSpan>& spans, const std::vector<ChangedStretch>& changes) {
    std::vector<WrittenSpan> kept;
    kept.reserve(spans.size());
    auto change = changes.begin();
    Position shift = 0;
    for (const WrittenSpan& written : spans) {
        const Span& span = written.span;
        while (change != changes.end() && span.start >= change->start + change->oldLength) {
            shift += change->newLength - change->oldLength;
            ++change;
        }
        if (change != changes.end() && span.end() > change->start) continue;  // touched: no longer what was written
        kept.push_back(written.movedBy(shift));
    }
    return kept;
}

/// How much of `text` another text must share at its ends to be taken for
/// the same story, edited: half of it.
Position leastShareOf(std::u16string_view text) { return (lengthOf(text) + 1) / 2; }

/// How many units `a` and `b` share at their beginning and at their end.
Position sharedEnds(std::u16string_view a, std::u16string_view b) {
    const size_t shortest = std::min(a.size(), b.size());
    size_t prefix = 0;
    while (prefix < shortest && a[prefix] == b[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shortest - prefix && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) ++suffix;
    return static_cast<Position>(prefix + suffix);
}

}  // namespace

int StoryMemory::idOf(const Job& job) {
    auto known = std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& entry) { return entry.second == job; });
    if (known != jobs_.end()) {
        std::rotate(known, known + 1, jobs_.end());
        return jobs_.back().first;
    }
    if (jobs_.size() == kJobs) {
        const int forgotten = jobs_.front().first;
        jobs_.erase(jobs_.begin());
        for (auto story = stories_.begin(); story != stories_.end();) {
            story->second.written.erase(forgotten);
            auto next = std::next(story);
            release(story);
            story = next;
        }
    }
    jobs_.emplace_back(nextJobId_++, job);
    return jobs_.back().first;
}

std::optional<int> StoryMemory::knownId(const Job& job) const {
    auto known = std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& entry) { return entry.second == job; });
    if (known == jobs_.end()) return std::nullopt;
    return known->first;
}

StoryMemory::Story& StoryMemory::track(int32_t index, std::u16string_view text) {
    auto [found, added] = stories_.try_emplace(index);
    Story& story = found->second;
    if (added) story.text.assign(text.data(), text.size());
    else follow(story, text);
    return story;
}

std::vector<const WrittenSpan*> StoryMemory::allWritten(const Story& story) {
    std::vector<const WrittenSpan*> spans;
    for (const auto& [job, written] : story.written) {
        for (const WrittenSpan& span : written) spans.push_back(&span);
    }
    std::sort(spans.begin(), spans.end(), [](const WrittenSpan* a, const WrittenSpan* b) {
        return std::tie(a->span.start, a->span.length, a->writeOrder) <
               std::tie(b->span.start, b->span.length, b->writeOrder);
    });
    return spans;
}

bool StoryMemory::readsAsItDid(const Story& story, std::u16string_view now) {
    return sameText(story.text, now) || undoneWrites(story.text, allWritten(story), now).has_value();
}

void StoryMemory::follow(Story& story, std::u16string_view now) {
    if (sameText(story.text, now)) return;
    if (auto undone = undoneWrites(story.text, allWritten(story), now)) {
        // What was put back is gone; the rest moves with the text. A place
        // put back must go by name: carried, it would stand after its text.
        const std::set<const WrittenSpan*> gone(undone->spans.begin(), undone->spans.end());
        for (auto job = story.written.begin(); job != story.written.end();) {
            std::vector<WrittenSpan> kept;
            for (const WrittenSpan& span : job->second) {
                if (!gone.contains(&span)) kept.push_back(span);
            }
            job->second = std::move(kept);
            job = job->second.empty() ? story.written.erase(job) : std::next(job);
        }
        carry(story, undone->changes);
    } else {
        carry(story, changesBetween(story.text, now));
    }
    story.text.assign(now.data(), now.size());
}

void StoryMemory::carry(Story& story, const std::vector<ChangedStretch>& changes) {
    for (auto job = story.written.begin(); job != story.written.end();) {
        job->second = carriedAll(job->second, changes);
        job = job->second.empty() ? story.written.erase(job) : std::next(job);
    }
    if (story.current) story.current = carried(*story.current, changes);
}

void StoryMemory::release(std::map<int32_t, Story>::iterator story) {
    if (story->second.holdsNothing()) stories_.erase(story);
}

Status StoryMemory::storyCountIs(int32_t count, const StoryReader& read) {
    if (count_ && *count_ != count && !stories_.empty()) {
        if (Status found = relocate(count, read); !found) return found;
    }
    count_ = count;
    return {};
}

Status StoryMemory::relocate(int32_t count, const StoryReader& read) {
    std::vector<std::u16string> texts;
    texts.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int32_t index = 1; index <= count; ++index) {
        auto text = read(index);
        // Nothing is given up on a failure: the stories are compared again next time.
        if (!text) return text.error();
        texts.push_back(std::move(*text));
    }
    const std::map<int32_t, int32_t> places = newPlaces(texts);
    std::map<int32_t, Story> moved;
    for (auto& [old, story] : stories_) {
        auto place = places.find(old);
        if (place == places.end()) continue;
        Story& kept = moved[place->second] = std::move(story);
        follow(kept, texts[static_cast<size_t>(place->second - 1)]);
    }
    stories_ = std::move(moved);
    return {};
}

/// Where remembered stories went among the `count` stories read now: each
/// old index's new one, no new one taken twice.
struct StoryMemory::Placement {
    explicit Placement(int32_t count) : count(count), taken(static_cast<size_t>(count) + 1, false) {}

    /// Whether `index` is a story after `after` that no story took yet.
    bool free(int32_t index, int32_t after = 0) const {
        return index > after && index <= count && !taken[static_cast<size_t>(index)];
    }
    void put(int32_t old, int32_t place) {
        places[old] = place;
        taken[static_cast<size_t>(place)] = true;
    }

    int32_t count;
    std::map<int32_t, int32_t> places;
    std::vector<bool> taken;
};

std::map<int32_t, int32_t> StoryMemory::newPlaces(const std::vector<std::u16string>& texts) const {
    Placement placement(static_cast<int32_t>(texts.size()));
    placeAsTheyRead(texts, placement);
    placeBetweenNeighbours(texts, placement);
    return std::move(placement.places);
}

void StoryMemory::placeAsTheyRead(const std::vector<std::u16string>& texts, Placement& placement) const {
    // A story that reads as it did, or as if some of the writing there had
    // been undone: at its old place, or moved by as many as came or went, or
    // else the next one that reads so; in order.
    const int32_t shift = placement.count - *count_;
    int32_t last = 0;
    for (const auto& [old, story] : stories_) {
        auto same = [&](int32_t index) {
            return placement.free(index, last) && readsAsItDid(story, texts[static_cast<size_t>(index - 1)]);
        };
        int32_t place = same(old) ? old : same(old + shift) ? old + shift : 0;
        // An empty story reads as any other: only its place tells, and taken
        // further on it could keep a story before it from its own place.
        for (int32_t index = last + 1; place == 0 && !story.text.empty() && index <= placement.count; ++index) {
            if (same(index)) place = index;
        }
        if (place == 0) continue;
        placement.put(old, place);
        last = place;
    }
}

void StoryMemory::placeBetweenNeighbours(const std::vector<std::u16string>& texts, Placement& placement) const {
    // A story that changed too lies between the places of its neighbours:
    // at the same distance when as many stories lie between them as before,
    // or else the one there that shares most of its text with it.
    auto& places = placement.places;
    for (const auto& [old, story] : stories_) {
        if (places.contains(old)) continue;
        auto next = places.upper_bound(old);
        const auto previous = next == places.begin() ? places.end() : std::prev(next);
        using Place = std::pair<int32_t, int32_t>;
        const auto [fromOld, fromNew] = previous == places.end() ? Place{0, 0} : Place(*previous);
        const auto [toOld, toNew] = next == places.end() ? Place{*count_ + 1, placement.count + 1} : Place(*next);
        int32_t place = 0;
        if (toOld - fromOld == toNew - fromNew) {
            place = fromNew + (old - fromOld);
            if (!placement.free(place)) place = 0;
        } else {
            Position best = leastShareOf(story.text);
            for (int32_t index = fromNew + 1; index < toNew; ++index) {
                if (!placement.free(index)) continue;
                const Position shared = sharedEnds(story.text, texts[static_cast<size_t>(index - 1)]);
                if (shared >= best && shared > 0) {
                    best = shared + 1;
                    place = index;
                }
            }
        }
        if (place != 0) placement.put(old, place);
    }
}

Result<bool> StoryMemory::tellsOfAMove(int32_t story, std::u16string_view text, const StoryReader& read) const {
    const auto here = stories_.find(story);
    if (here != stories_.end()) {
        const Story& remembered = here->second;
        if (readsAsItDid(remembered, text)) return false;
        // An edit leaves most of the text as it was; another text box's
        // story in its place shares little with it.
        if (sharedEnds(remembered.text, text) < leastShareOf(remembered.text)) return true;
    }
    // The text remembered of another story: that story came here, unless it
    // still reads so where it was. One such story is read: when it stands
    // where it was, the text boxes are alike, and a publication of many
    // alike costs one read for each, not one for each pair.
    for (const auto& [other, remembered] : stories_) {
        if (other == story || other > *count_ || !sameText(remembered.text, text)) continue;
        auto there = read(other);
        if (!there) return there.error();
        return !readsAsItDid(remembered, *there);
    }
    return false;
}

Status StoryMemory::seen(int32_t story, std::u16string_view text, const StoryReader& read) {
    if (count_ && story <= *count_) {
        auto moved = tellsOfAMove(story, text, read);
        if (!moved) return moved.error();
        if (*moved) {
            if (Status found = relocate(*count_, read); !found) return found;
        }
    }
    auto found = stories_.find(story);
    if (found == stories_.end()) return {};
    follow(found->second, text);
    release(found);
    return {};
}

std::vector<WrittenSpan> StoryMemory::writtenBy(const Job& job, int32_t story) const {
    const auto id = knownId(job);
    const auto found = stories_.find(story);
    if (!id || found == stories_.end()) return {};
    const auto spans = found->second.written.find(*id);
    if (spans == found->second.written.end()) return {};
    return spans->second;
}

bool StoryMemory::hasWritten(const Job& job) const { return !storiesWrittenBy(job).empty(); }

std::vector<int32_t> StoryMemory::storiesWrittenBy(const Job& job) const {
    std::vector<int32_t> stories;
    const auto id = knownId(job);
    if (!id) return stories;
    for (const auto& [index, story] : stories_) {
        if (story.written.contains(*id)) stories.push_back(index);
    }
    return stories;
}

void StoryMemory::wrote(const Job& job, int32_t story, std::u16string_view before, Span replaced,
                        std::u16string_view written) {
    std::u16string after(before);
    after.replace(static_cast<size_t>(replaced.start), static_cast<size_t>(replaced.length), written);
    wroteAll(job, story, before, {Rewrite{replaced, std::u16string(written)}}, after);
}

void StoryMemory::wroteAll(const Job& job, int32_t story, std::u16string_view before,
                           const std::vector<Rewrite>& rewrites, std::u16string_view after) {
    const int id = idOf(job);
    Story& memory = track(story, before);
    std::vector<ChangedStretch> changes;
    changes.reserve(rewrites.size());
    for (const Rewrite& rewrite : rewrites)
        changes.push_back({rewrite.replaced.start, rewrite.replaced.length,
                           static_cast<Position>(rewrite.written.size())});

    // Whatever else is remembered here follows the writing as any change.
    std::vector<WrittenSpan> own = std::move(memory.written[id]);
    memory.written.erase(id);
    carry(memory, changes);

    // The job's own spans and the new ones, in the old text's order: an own
    // span comes before a new one when it ends by the new one's start. The
    // job never writes over its own text; a span that it would have is gone.
    std::vector<WrittenSpan> mine;
    mine.reserve(own.size() + rewrites.size());
    auto earlier = own.begin();
    Position shift = 0;
    for (const Rewrite& rewrite : rewrites) {
        const Span& span = rewrite.replaced;
        const auto written = static_cast<Position>(rewrite.written.size());
        for (; earlier != own.end() && earlier->span.end() <= span.start; ++earlier)
            mine.push_back(earlier->movedBy(shift));
        const auto text = unitsOf(before, span);
        mine.push_back({{span.start + shift, written}, std::u16string(text), ++writes_});
        shift += written - span.length;
        while (earlier != own.end() && earlier->span.start < span.end()) ++earlier;
    }
    for (; earlier != own.end(); ++earlier)
        mine.push_back(earlier->movedBy(shift));
    memory.written[id] = std::move(mine);
    memory.text.assign(after.data(), after.size());
}

std::optional<StoryMemory::Match> StoryMemory::currentMatch() const {
    for (const auto& [index, story] : stories_) {
        if (story.current) return Match{index, *story.current};
    }
    return std::nullopt;
}

void StoryMemory::setCurrentMatch(int32_t story, std::u16string_view text, Span span) {
    clearCurrentMatch();
    track(story, text).current = span;
}

void StoryMemory::clearCurrentMatch() {
    for (auto story = stories_.begin(); story != stories_.end();) {
        story->second.current.reset();
        auto next = std::next(story);
        release(story);
        story = next;
    }
}

void StoryMemory::searchIn(int32_t story, std::u16string_view text) {
    for (auto other = stories_.begin(); other != stories_.end();) {
        other->second.searched = false;
        auto next = std::next(other);
        release(other);
        other = next;
    }
    track(story, text).searched = true;
}

std::optional<int32_t> StoryMemory::searchStory() const {
    for (const auto& [index, story] : stories_) {
        if (story.searched) return index;
    }
    return std::nullopt;
}

}  // namespace quillet
