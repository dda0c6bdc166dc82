#include "engine/memory/StoryPlacement.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "engine/text/SameText.h"

namespace quillet {

namespace {

/// The most pairs of a remembered story and a story that reads as none did
/// that are compared beyond the remembered story's own place. Comparing
/// costs a few thousand steps a pair; a publication wholly new beside a
/// large memory would cost seconds, and there only stories at their places
/// are compared.
constexpr size_t kMostPairsAnywhere = 50'000;

/// One remembered story's claim on a present one: it reads as it did there,
/// or following it there keeps some of what it holds.
struct Claim {
    int32_t old = 0;
    bool exact = false;
};

/// The shortest and longest texts that undoing some of `story`'s writing can give.
std::pair<Position, Position> lengthsAfterUndo(const RememberedStory& story) {
    Position least = lengthOf(story.text);
    Position most = least;
    for (const WrittenSpan* span : story.allWritten()) {
        const Position change = lengthOf(span->replaced) - span->span.length;
        (change < 0 ? least : most) += change;
    }
    return {least, most};
}

/// Whether `now` keeps at its ends at least half of `text`: an edit of it,
/// rather than another text box's story in its place.
bool sharesHalf(std::u16string_view text, std::u16string_view now) {
    const SharedEnds shared = sharedEndsOf(text, now);
    return shared.prefix + shared.suffix >= (lengthOf(text) + 1) / 2;
}

/// Remembered stories that read alike and hold the same writing, which
/// could stand for one another: one class for each such group.
class AlikeClasses {
public:
    explicit AlikeClasses(const std::map<int32_t, RememberedStory>& remembered) {
        std::unordered_map<std::u16string_view, std::vector<int32_t>> byText;
        for (const auto& [old, story] : remembered) byText[story.text].push_back(old);
        for (const auto& [text, olds] : byText) {
            const size_t first = sizes_.size();
            for (const int32_t old : olds) {
                size_t cls = first;
                while (cls < sizes_.size() && !remembered.at(representative_[cls]).sameWritingAs(remembered.at(old)))
                    ++cls;
                if (cls == sizes_.size()) {
                    sizes_.push_back(0);
                    representative_.push_back(old);
                }
                ++sizes_[cls];
                classOf_[old] = cls;
            }
        }
    }

    size_t of(int32_t old) const { return classOf_.at(old); }
    size_t size(size_t cls) const { return sizes_[cls]; }
    size_t count() const { return sizes_.size(); }

private:
    std::map<int32_t, size_t> classOf_;
    std::vector<size_t> sizes_;
    std::vector<int32_t> representative_;
};

}  // namespace

Placement placedAmong(const std::map<int32_t, RememberedStory>& remembered, int32_t oldCount,
                      const std::vector<std::u16string>& texts, bool editsAreCertain) {
    const auto count = static_cast<int32_t>(texts.size());
    const int32_t shift = count - oldCount;
    auto textAt = [&](int32_t index) -> std::u16string_view { return texts[static_cast<size_t>(index - 1)]; };
    // A story that had vanished has no place.
    auto inPlace = [&](int32_t old, int32_t index) { return old >= 1 && (index == old || index == old + shift); };

    std::unordered_map<std::u16string_view, std::vector<int32_t>> byText;
    for (int32_t index = 1; index <= count; ++index) byText[textAt(index)].push_back(index);

    std::vector<std::vector<Claim>> claims(static_cast<size_t>(count) + 1);
    std::map<int32_t, std::vector<int32_t>> claimedBy;
    auto claim = [&](int32_t old, int32_t index, bool exact) {
        claims[static_cast<size_t>(index)].push_back({old, exact});
        claimedBy[old].push_back(index);
    };

    // Where each remembered story reads as it did, or as undone.
    for (const auto& [old, story] : remembered) {
        if (story.text.empty()) {
            // An empty story reads as any other: only its place tells.
            for (const int32_t index : {old, old + shift}) {
                if (!inPlace(old, index) || index < 1 || index > count || !textAt(index).empty()) continue;
                claim(old, index, /*exact=*/true);
                break;
            }
            continue;
        }
        if (auto same = byText.find(story.text); same != byText.end()) {
            for (const int32_t index : same->second) claim(old, index, /*exact=*/true);
        }
        if (story.written.empty()) continue;
        const auto [least, most] = lengthsAfterUndo(story);
        for (const auto& [text, indexes] : byText) {
            if (lengthOf(text) < least || lengthOf(text) > most || sameText(text, story.text)) continue;
            if (!story.readsAsItDid(text)) continue;
            for (const int32_t index : indexes) claim(old, index, /*exact=*/true);
        }
    }

    // Where a remembered story may have gone, edited, among those that read
    // as none did: any of them that keeps some of its writing, and its own
    // place when that is an edit of it.
    std::vector<int32_t> unread;
    for (int32_t index = 1; index <= count; ++index) {
        if (claims[static_cast<size_t>(index)].empty()) unread.push_back(index);
    }
    const bool anywhere = remembered.size() * unread.size() <= kMostPairsAnywhere;
    for (const auto& [old, story] : remembered) {
        for (const int32_t index : unread) {
            const bool here = inPlace(old, index);
            if (!here && !anywhere) continue;
            if (story.keepsWritingIn(textAt(index)) || (here && !story.text.empty() && sharesHalf(story.text, textAt(index))))
                claim(old, index, /*exact=*/false);
        }
    }

    // A present story is surely a remembered one when only stories that
    // stand for one another claim it, no more present stories than there are
    // of them claim it, and it reads as they did, or is one of them edited
    // at its place.
    const AlikeClasses classes(remembered);
    std::vector<std::set<int32_t>> claimedByClass(classes.count());
    for (const auto& [old, indexes] : claimedBy) claimedByClass[classes.of(old)].insert(indexes.begin(), indexes.end());

    std::map<int32_t, size_t> exactClaims;
    for (const auto& onIt : claims) {
        for (const Claim& c : onIt) {
            if (c.exact) ++exactClaims[c.old];
        }
    }

    Placement placement;
    std::map<int32_t, RememberedStory>& placed = placement.placed;
    for (int32_t index = 1; index <= count; ++index) {
        const std::vector<Claim>& onIt = claims[static_cast<size_t>(index)];
        if (onIt.empty()) continue;
        const size_t cls = classes.of(onIt.front().old);
        const bool oneClass = std::all_of(onIt.begin(), onIt.end(), [&](const Claim& c) { return classes.of(c.old) == cls; });
        const bool backAgain = std::any_of(onIt.begin(), onIt.end(), [](const Claim& c) { return c.old < 1; });
        const bool certain =
            oneClass && !backAgain && claimedByClass[cls].size() <= classes.size(cls) &&
            (onIt.front().exact ||
             (editsAreCertain && std::any_of(onIt.begin(), onIt.end(), [&](const Claim& c) { return inPlace(c.old, index); })));

        RememberedStory here{std::u16string(textAt(index)), {}, std::nullopt, false, {}, std::nullopt, {}};
        for (const Claim& c : onIt) {
            RememberedStory followed = remembered.at(c.old);
            followed.follow(textAt(index));
            // The search's place and match go where their story surely went.
            if (claimedBy.at(c.old).size() == 1) {
                if (followed.current) here.current = followed.current;
                here.searched = here.searched || followed.searched;
            }
            // What a list found goes where its story reads exactly as it
            // did, when that is one place, though an edit elsewhere may
            // also read as it: the list shows text, not writing to guard.
            if (c.exact ? exactClaims.at(c.old) == 1 : claimedBy.at(c.old).size() == 1) here.found.merge(followed.found);
            if (!certain) {
                here.mergeInDoubt(followed);
            } else if (here.written.empty()) {
                here.written = std::move(followed.written);
                here.before = std::move(followed.before);
                here.lastEdited = std::move(followed.lastEdited);
            }
        }
        if (!here.holdsNothing()) placed.emplace(index, std::move(here));
    }
    for (const auto& [old, story] : remembered) {
        if (!claimedBy.contains(old)) placement.vanished.push_back(old);
    }
    return placement;
}

}  // namespace quillet
