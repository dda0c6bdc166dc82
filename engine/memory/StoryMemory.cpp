#include "engine/memory/StoryMemory.h"

#include <algorithm>

#include "engine/memory/StoryPlacement.h"
#include "engine/text/SameText.h"

namespace quillet {

namespace {

/// The most jobs whose writing is remembered at once.
constexpr size_t kJobs = 8;
/// The most vanished stories kept, in case they come back.
constexpr size_t kMostGone = 32;

/// How much of `text` another text must share at its ends to be taken for
/// the same story, edited: half of it.
Position leastShareOf(std::u16string_view text) { return (lengthOf(text) + 1) / 2; }

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
        for (auto& [index, story] : stories_) story.written.erase(forgotten);
        for (RememberedStory& story : gone_) story.written.erase(forgotten);
        releaseAll();
    }
    jobs_.emplace_back(nextJobId_++, job);
    return jobs_.back().first;
}

std::optional<int> StoryMemory::knownId(const Job& job) const {
    auto known = std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& entry) { return entry.second == job; });
    if (known == jobs_.end()) return std::nullopt;
    return known->first;
}

RememberedStory& StoryMemory::track(int32_t index, std::u16string_view text) {
    auto [found, added] = stories_.try_emplace(index);
    RememberedStory& story = found->second;
    if (added) story.text.assign(text.data(), text.size());
    else follow(story, text);
    return story;
}

RememberedStory::Change StoryMemory::followed(RememberedStory& story, std::u16string_view now) const {
    const RememberedStory::Change change = story.follow(now);
    if (change == RememberedStory::Change::Edit && !publicationKnown_) story.doubt();
    return change;
}

void StoryMemory::follow(RememberedStory& story, std::u16string_view now) {
    if (story.written.empty() || sameText(story.text, now)) {
        followed(story, now);
        return;
    }
    RememberedStory was = story;
    // What reads as an undo may be the story moved elsewhere unchanged, and
    // another text box with the text it had before the writing in its
    // place: what was taken back is kept aside, in case it turns up.
    if (followed(story, now) != RememberedStory::Change::Undo) return;
    was.current.reset();
    was.searched = false;
    was.found.clear();
    gone_.push_back(std::move(was));
    if (gone_.size() > kMostGone) gone_.erase(gone_.begin());
}

void StoryMemory::releaseAll() {
    std::erase_if(stories_, [](const auto& story) { return story.second.holdsNothing(); });
    std::erase_if(gone_, [](const RememberedStory& story) { return story.written.empty(); });
}

void StoryMemory::forget() {
    stories_.clear();
    gone_.clear();
    count_.reset();
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
    // The vanished stories join as stories with no place: -1 the latest.
    Stories all = stories_;
    for (size_t i = 0; i < gone_.size(); ++i) all.emplace(-static_cast<int32_t>(gone_.size() - i), gone_[i]);
    Placement placement = placedAmong(all, count_.value_or(count), texts, /*editsAreCertain=*/publicationKnown_);
    stories_ = std::move(placement.placed);
    std::vector<RememberedStory> gone;
    for (const int32_t key : placement.vanished) {
        RememberedStory vanished = all.at(key);
        vanished.current.reset();
        vanished.searched = false;
        vanished.found.clear();
        if (!vanished.written.empty()) gone.push_back(std::move(vanished));
    }
    // Those that vanished now are the latest: the stories with no place
    // come first among the keys, oldest first, then the placed ones.
    if (gone.size() > kMostGone) gone.erase(gone.begin(), gone.end() - kMostGone);
    gone_ = std::move(gone);
    return {};
}

Result<StoryMemory::Reading> StoryMemory::readingOf(int32_t story, std::u16string_view text,
                                                    const StoryReader& read) const {
    Reading reading;
    const auto here = stories_.find(story);
    const bool remembered = here != stories_.end();
    const bool asItDid = remembered && here->second.readsAsItDid(text);
    // An edit leaves most of the text as it was; another text box's story
    // in its place shares little with it.
    if (remembered && !asItDid) {
        const SharedEnds shared = sharedEndsOf(here->second.text, text);
        if (shared.prefix + shared.suffix < leastShareOf(here->second.text)) {
            reading.moved = true;
            return reading;
        }
    }
    // A story that vanished and reads here now came back.
    if (!asItDid && std::any_of(gone_.begin(), gone_.end(),
                                [&](const RememberedStory& vanished) { return vanished.readsAsItDid(text); })) {
        reading.moved = true;
        return reading;
    }
    // Another story's remembered text, or its text edited so that its
    // writing would stay (where this is no small edit that keeps writing of
    // this story's own): that
    // story came here, unless it still reads so where it was. One such story
    // is read: when it stands where it was, the text boxes are alike, and a
    // publication of many alike costs one read for each, not one for each
    // pair. A story that reads as it did tells nothing of moves, and costs
    // no read.
    const bool ownEdit = remembered && isAFewEdits(changesBetween(here->second.text, text), here->second.text, text) &&
                         here->second.keepsWritingIn(text);
    bool moveRuledOut = asItDid;
    bool otherWriting = false;
    for (const auto& [other, them] : stories_) {
        if (other == story || other > *count_) continue;
        const bool same = sameText(them.text, text);
        if (!same && !them.written.empty() && them.lastEdited && sameText(them.lastEdited->text, text))
            reading.asBeforeAnEdit.push_back(other);
        if (!same && (asItDid || ownEdit || !them.keepsWritingIn(text))) continue;
        // Alike texts: one read tells for all of them. An edited text may
        // be any of the stories it could have been: each is read.
        if (!moveRuledOut || !same) {
            moveRuledOut = moveRuledOut || same;
            auto there = read(other);
            if (!there) return there.error();
            if (!them.readsAsItDid(*there)) {
                reading.moved = true;
                return reading;
            }
        }
        if (!same) continue;
        reading.alike.push_back(other);
        otherWriting = otherWriting || (remembered ? !here->second.sameWritingAs(them) : !them.written.empty());
    }
    // Alike stories that hold the same writing stand for one another as they are.
    if (!otherWriting) reading.alike.clear();
    return reading;
}

void StoryMemory::doubtAlike(std::vector<int32_t> stories) {
    std::vector<RememberedStory*> alike;
    for (const int32_t index : stories) {
        if (auto found = stories_.find(index); found != stories_.end()) alike.push_back(&found->second);
    }
    const bool sameWriting = alike.size() == stories.size() &&
                             std::all_of(alike.begin(), alike.end(), [&](const RememberedStory* story) {
                                 return story->sameWritingAs(*alike.front());
                             });
    const bool anyWriting =
        std::any_of(alike.begin(), alike.end(), [](const RememberedStory* story) { return !story->written.empty(); });
    if (sameWriting || !anyWriting) return;
    RememberedStory all{alike.front()->text, {}, std::nullopt, false, {}, std::nullopt, {}};
    for (const RememberedStory* story : alike) all.mergeInDoubt(*story);
    for (const int32_t index : stories) track(index, all.text).written = all.written;
}

Status StoryMemory::seen(int32_t story, std::u16string_view text, const StoryReader& read) {
    std::vector<int32_t> alike;
    std::vector<int32_t> asBeforeAnEdit;
    if (count_ && story <= *count_) {
        auto reading = readingOf(story, text, read);
        if (!reading) return reading.error();
        if (reading->moved) {
            if (Status found = relocate(*count_, read); !found) return found;
        } else {
            alike = std::move(reading->alike);
            asBeforeAnEdit = std::move(reading->asBeforeAnEdit);
        }
    }
    if (auto found = stories_.find(story); found != stories_.end()) follow(found->second, text);
    if (!alike.empty()) {
        alike.push_back(story);
        doubtAlike(std::move(alike));
    }
    for (const int32_t other : asBeforeAnEdit) {
        RememberedStory& them = stories_.at(other);
        const RememberedStory was{them.lastEdited->text, them.lastEdited->written, std::nullopt, false, {}, std::nullopt, {}};
        track(story, text).mergeInDoubt(was);
        them.doubt();
    }
    releaseAll();
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
    for (const InDoubt& story : writingOf(job)) stories.push_back(story.story);
    return stories;
}

std::vector<StoryMemory::InDoubt> StoryMemory::writingOf(const Job& job) const {
    std::vector<InDoubt> stories;
    const auto id = knownId(job);
    if (!id) return stories;
    for (const auto& [index, story] : stories_) {
        if (auto spans = story.written.find(*id); spans != story.written.end())
            stories.push_back({index, story.text, spans->second});
    }
    return stories;
}

std::vector<StoryMemory::InDoubt> StoryMemory::inDoubt(const Job& job) const {
    std::vector<InDoubt> stories = writingOf(job);
    std::erase_if(stories, [](const InDoubt& story) {
        return std::all_of(story.spans.begin(), story.spans.end(), [](const WrittenSpan& span) { return span.certain; });
    });
    return stories;
}

std::vector<int32_t> StoryMemory::couldHoldWritingNear(const Job& job, std::u16string_view text,
                                                       std::optional<Span> near, int32_t except) const {
    std::vector<int32_t> stories;
    const auto id = knownId(job);
    if (!id) return stories;
    for (const auto& [index, story] : stories_) {
        if (index == except || !story.written.contains(*id)) continue;
        RememberedStory copy = story;
        followed(copy, text);
        const auto spans = copy.written.find(*id);
        if (spans == copy.written.end()) continue;
        const bool touching = std::any_of(spans->second.begin(), spans->second.end(), [&](const WrittenSpan& span) {
            return !near || (span.span.start <= near->end() && near->start <= span.span.end());
        });
        if (touching) stories.push_back(index);
    }
    return stories;
}

void StoryMemory::wrote(const Job& job, int32_t story, std::u16string_view before, Span replaced,
                        std::u16string_view written) {
    const std::vector<Rewrite> rewrite{{replaced, std::u16string(written)}};
    wroteAll(job, story, before, rewrite, rewritten(before, rewrite));
}

void StoryMemory::wroteAll(const Job& job, int32_t story, std::u16string_view before,
                           const std::vector<Rewrite>& rewrites, std::u16string_view after) {
    const int id = idOf(job);
    RememberedStory& memory = track(story, before);
    std::vector<ChangedStretch> changes;
    changes.reserve(rewrites.size());
    for (const Rewrite& rewrite : rewrites)
        changes.push_back({rewrite.replaced.start, rewrite.replaced.length,
                           static_cast<Position>(rewrite.written.size())});

    // Whatever else is remembered here follows the writing as any change.
    // What it writes over, the host's Undo may give back: the story as it
    // was is kept, to be known again.
    RememberedStory::Before was{memory.text, memory.written};
    std::vector<WrittenSpan> own = std::move(memory.written[id]);
    memory.written.erase(id);
    const size_t others = memory.allWritten().size();
    memory.carry(changes);
    if (memory.allWritten().size() < others) memory.keepBefore(std::move(was));

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

std::optional<std::string> StoryMemory::brokenInvariant() const {
    if (jobs_.size() > kJobs) return "more jobs than are kept";
    auto brokenIn = [&](const RememberedStory& story) -> std::optional<std::string> {
        for (const auto& [job, spans] : story.written) {
            if (!std::any_of(jobs_.begin(), jobs_.end(), [&](const auto& known) { return known.first == job; }))
                return "writing of a job no longer remembered";
            for (size_t i = 0; i < spans.size(); ++i) {
                const Span& span = spans[i].span;
                if (span.start < 0 || span.length < 0 || span.end() > lengthOf(story.text))
                    return "a span outside its story's text";
                if (i > 0 && spans[i - 1].span.start > span.start) return "a job's spans out of order";
            }
        }
        for (const auto& [row, span] : story.found) {
            if (span.end() > lengthOf(story.text)) return "a found occurrence outside its story's text";
        }
        for (const auto& [job, spans] : story.written) {
            for (size_t i = 1; i < spans.size(); ++i) {
                if (spans[i].span.start < spans[i - 1].span.end()) return "spans of one job that overlap";
            }
        }
        // Two jobs' writing overlaps only in doubt: either story could be the other.
        const auto all = story.allWritten();
        for (size_t i = 0; i < all.size(); ++i) {
            for (size_t j = i + 1; j < all.size() && all[j]->span.start < all[i]->span.end(); ++j) {
                if (all[i]->certain || all[j]->certain) return "certain writing that overlaps other writing";
            }
        }
        return std::nullopt;
    };
    for (const auto& [index, story] : stories_) {
        if (index < 1 || (count_ && index > *count_)) return "a story outside the collection";
        if (auto broken = brokenIn(story)) return "story " + std::to_string(index) + ": " + *broken;
    }
    for (const RememberedStory& story : gone_) {
        if (auto broken = brokenIn(story)) return "a vanished story: " + *broken;
    }
    return std::nullopt;
}

void StoryMemory::markFound(int32_t story, std::u16string_view text,
                            const std::vector<std::pair<uint64_t, Span>>& rows) {
    if (rows.empty()) return;
    RememberedStory& remembered = track(story, text);
    for (const auto& [row, span] : rows) remembered.found[row] = span;
}

void StoryMemory::unmarkFound(const std::set<uint64_t>& rows) {
    for (auto& [index, story] : stories_) std::erase_if(story.found, [&](const auto& row) { return rows.contains(row.first); });
    releaseAll();
}

std::map<uint64_t, StoryMemory::Match> StoryMemory::foundMarks() const {
    std::map<uint64_t, Match> marks;
    for (const auto& [index, story] : stories_) {
        for (const auto& [row, span] : story.found) marks.emplace(row, Match{index, span});
    }
    return marks;
}

std::optional<std::u16string_view> StoryMemory::textOf(int32_t story) const {
    const auto remembered = stories_.find(story);
    if (remembered == stories_.end()) return std::nullopt;
    return std::u16string_view(remembered->second.text);
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
    for (auto& [index, story] : stories_) story.current.reset();
    releaseAll();
}

void StoryMemory::searchIn(int32_t story, std::u16string_view text) {
    for (auto& [index, remembered] : stories_) remembered.searched = false;
    releaseAll();
    track(story, text).searched = true;
}

std::optional<int32_t> StoryMemory::searchStory() const {
    for (const auto& [index, story] : stories_) {
        if (story.searched) return index;
    }
    return std::nullopt;
}

}  // namespace quillet
