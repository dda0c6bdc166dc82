#include "engine/text/FindPattern.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <utility>

#include "engine/text/unicode/Unicode.h"

namespace quillet {

namespace {

/// Where a match stands: the element to match next and where it begins.
struct State {
    std::size_t element = 0;
    Position pos = 0;
};

bool startsInsidePair(std::u16string_view text, Position q) {
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

    void startAt(Position q) {
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
    Position highestPos_ = -1;
};

FindPattern::FindPattern(std::u16string_view findText, FindOptions options)
    : elements_(readFindPattern(findText, options)) {
    chooseAnchor();
}

// The anchor is the element with leading text that narrows the starts of a
// match the most: one after which the start lies within a bounded distance,
// then the one with the longest leading text, then the earliest.
void FindPattern::chooseAnchor() {
    Position fewestBefore = 0;
    Position mostBefore = 0;
    Position anchorLength = 0;
    auto rank = [](const Anchor& anchor, Position leadingLength) {
        return std::pair(anchor.mostBefore != kUnboundedLength, leadingLength);
    };
    for (std::size_t i = 0; i < elements_.size(); ++i) {
        const Position leadingLength = elements_[i].leadingText.length();
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

std::optional<Position> FindPattern::matchAt(std::u16string_view text, Position at) const {
    FailedStates failed(elements_.size());
    return matchFrom(text, at, failed);
}

// A depth-first walk over the states, the preferred way on first. A state is
// never entered twice: along one path the states only move on, so a state
// entered before has failed, or the walk would have ended. Before the first
// state with two ways on there is one path, and nothing worth remembering.
std::optional<Position> FindPattern::matchFrom(std::u16string_view text, Position q, FailedStates& failed) const {
    const Position size = lengthOf(text);
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

std::optional<Span> FindPattern::firstMatchIn(std::u16string_view text, Position first, Position last,
                                              FailedStates& failed) const {
    const PatternElement& firstElement = elements_.front();
    for (Position q = first; q <= last; ++q) {
        if (!mayBeginWith(firstElement, text[q])) continue;
        if (const auto length = matchFrom(text, q, failed)) return Span{q, *length};
    }
    return std::nullopt;
}

// Every match holds an occurrence of the anchor's leading text, which the
// anchor's TextMatcher finds, from fewestBefore to mostBefore units after
// the match's start. So the starts worth trying lie in a window before each
// occurrence; the windows, each taken from where the last one ended, try
// every such start once and in order.
std::optional<Span> FindPattern::findFrom(std::u16string_view text, Position from) const {
    const Position size = lengthOf(text);
    from = std::max<Position>(from, 0);
    if (elements_.empty()) return std::nullopt;
    FailedStates failed(elements_.size());
    if (!anchor_) return firstMatchIn(text, from, size - 1, failed);
    const TextMatcher& leading = elements_[anchor_->element].leadingText;
    Position untried = from;
    for (auto at = leading.findFrom(text, from + anchor_->fewestBefore); at; at = leading.findFrom(text, *at + 1)) {
        const Position last = *at - anchor_->fewestBefore;
        const Position first =
            anchor_->mostBefore == kUnboundedLength ? untried : std::max(untried, *at - anchor_->mostBefore);
        if (const auto match = firstMatchIn(text, first, last, failed)) return match;
        untried = last + 1;
    }
    return std::nullopt;
}

}  // namespace quillet
