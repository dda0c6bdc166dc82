#include "engine/text/FindPattern.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "engine/text/unicode/Unicode.h"

namespace quillet {

namespace {

/// Where a match stands: the element to match next and where it begins.
struct State {
    std::size_t element = 0;
    std::int64_t pos = 0;
};

bool startsInsidePair(std::u16string_view text, std::int64_t q) {
    return q > 0 && unicode::isLowSurrogate(text[q]) && unicode::isHighSurrogate(text[q - 1]);
}

}  // namespace

/// The states from which the rest of the pattern is known not to match.
/// That depends on the state alone, not on where the match began, so what
/// one start learns holds for the later starts of the same scan. A start
/// past every state remembered can reach none of them.
class FindPattern::FailedStates {
public:
    explicit FailedStates(std::size_t elementCount) : stride_(elementCount + 1) {}

    void startAt(std::int64_t q) {
        if (!keys_.empty() && q > highestPos_) keys_.clear();
    }
    bool contains(State state) const { return !keys_.empty() && keys_.contains(key(state)); }
    void add(State state) {
        keys_.insert(key(state));
        highestPos_ = std::max(highestPos_, state.pos);
    }

private:
    std::uint64_t key(State state) const { return static_cast<std::uint64_t>(state.pos) * stride_ + state.element; }

    std::uint64_t stride_;
    std::unordered_set<std::uint64_t> keys_;
    std::int64_t highestPos_ = -1;
};

FindPattern::FindPattern(std::u16string_view findText, FindOptions options)
    : elements_(readFindPattern(findText, options)) {
    chooseAnchor();
}

// The anchor is the element with leading text that narrows the starts of a
// match the most: one after which the start lies within a bounded distance,
// then the one with the longest leading text, then the earliest.
void FindPattern::chooseAnchor() {
    std::int64_t fewestBefore = 0;
    std::int64_t mostBefore = 0;
    std::size_t anchorLength = 0;
    auto rank = [](const Anchor& anchor, std::size_t leadingLength) {
        return std::pair(anchor.mostBefore != kUnboundedLength, leadingLength);
    };
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const std::size_t leadingLength = elements_[i].leadingText.length();
        const Anchor candidate{i, fewestBefore, mostBefore};
        if (leadingLength > 0 && (!anchor_ || rank(candidate, leadingLength) > rank(*anchor_, anchorLength))) {
            anchor_ = candidate;
            anchorLength = leadingLength;
        }
        const LengthBounds bounds = lengthBoundsOf(elements_[i]);
        fewestBefore += bounds.fewest;
        const bool unbounded = mostBefore == kUnboundedLength || bounds.most == kUnboundedLength;
        mostBefore = unbounded ? kUnboundedLength : mostBefore + bounds.most;
    }
}

std::optional<std::int64_t> FindPattern::matchAt(std::u16string_view text, std::int64_t q) const {
    FailedStates failed(elements_.size());
    return matchFrom(text, q, failed);
}

// A depth-first walk over the states, the preferred way on first. A state is
// never entered twice: along one path the states only move on, so a state
// entered before has failed, or the walk would have ended. Before the first
// state with two ways on there is one path, and nothing worth remembering.
std::optional<std::int64_t> FindPattern::matchFrom(std::u16string_view text, std::int64_t q,
                                                   FailedStates& failed) const {
    const auto size = static_cast<std::int64_t>(text.size());
    if (elements_.empty() || q < 0 || q >= size || startsInsidePair(text, q)) return std::nullopt;
    failed.startAt(q);
    std::vector<State> untried;  // the other ways on, the latest last
    bool remembering = false;
    auto onTo = [](State from, ElementExit exit) {
        return State{exit.again ? from.element : from.element + 1, exit.pos};
    };
    State state{0, q};
    for (;;) {
        if (state.element == elements_.size()) return state.pos - q;
        if (!failed.contains(state)) {
            if (remembering) failed.add(state);
            const ElementExits exits = exitsOf(elements_[state.element], text, state.pos);
            if (exits.count == 2) {
                untried.push_back(onTo(state, exits.exits[1]));
                remembering = true;
            }
            if (exits.count > 0) {
                state = onTo(state, exits.exits[0]);
                continue;
            }
        }
        if (untried.empty()) return std::nullopt;
        state = untried.back();
        untried.pop_back();
    }
}

std::optional<FindPattern::Match> FindPattern::firstMatchIn(std::u16string_view text, std::int64_t first,
                                                             std::int64_t last, FailedStates& failed) const {
    const PatternElement& firstElement = elements_.front();
    for (std::int64_t q = first; q <= last; ++q) {
        if (!mayBeginWith(firstElement, text[q])) continue;
        if (const auto length = matchFrom(text, q, failed)) return Match{q, *length};
    }
    return std::nullopt;
}

// Every match holds an occurrence of the anchor's leading text, which the
// anchor's TextMatcher finds, from fewestBefore to mostBefore units after
// the match's start. So the starts worth trying lie in a window before each
// occurrence; the windows, each taken from where the last one ended, try
// every such start once and in order.
std::optional<FindPattern::Match> FindPattern::findFrom(std::u16string_view text, std::int64_t from) const {
    const auto size = static_cast<std::int64_t>(text.size());
    from = std::max<std::int64_t>(from, 0);
    if (elements_.empty()) return std::nullopt;
    FailedStates failed(elements_.size());
    if (!anchor_) return firstMatchIn(text, from, size - 1, failed);
    const TextMatcher& leading = elements_[anchor_->element].leadingText;
    std::int64_t untried = from;
    for (std::int64_t at = leading.findFrom(text, from + anchor_->fewestBefore); at >= 0;
         at = leading.findFrom(text, at + 1)) {
        const std::int64_t last = at - anchor_->fewestBefore;
        const std::int64_t first =
            anchor_->mostBefore == kUnboundedLength ? untried : std::max(untried, at - anchor_->mostBefore);
        if (const auto match = firstMatchIn(text, first, last, failed)) return match;
        untried = last + 1;
    }
    return std::nullopt;
}

}  // namespace quillet
