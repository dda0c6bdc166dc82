#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillet {

/// What the running search wrote, story by story, so that it never finds or
/// writes inside its own output. A story's spans hold only while the story
/// reads exactly as the search left it: any change that the search did not
/// make drops them.
class WrittenSpans {
public:
    /// A replacement's place in its story: 0-based start and length. An empty
    /// replacement leaves a span of length 0, which no occurrence may span.
    struct Span {
        int64_t start = 0;
        int64_t length = 0;
    };

    /// Forgets every story: a new search starts.
    void clear() { stories_.clear(); }

    /// The spans of the 1-based `story`, whose text reads `text` now; they
    /// are dropped first when that is not what the search left there.
    const std::vector<Span>& of(int32_t story, const std::u16string& text);

    /// Notes that the search replaced `replacedLength` characters of `story`,
    /// which read `before`, from `start` with `replacement`. The story's
    /// spans must have been asked for (`of`) with `before` first, so that
    /// spans of a story that another hand changed are gone.
    void record(int32_t story, const std::u16string& before, int64_t start, int64_t replacedLength,
                const std::u16string& replacement);

    /// Whether an occurrence of `length` characters from `start` would cover
    /// text of `spans` or span the place of an empty replacement.
    static bool touch(const std::vector<Span>& spans, int64_t start, int64_t length);

private:
    struct Story {
        std::u16string text;
        std::vector<Span> spans;  // in order, not overlapping
    };

    std::map<int32_t, Story> stories_;
};

}  // namespace quillet
