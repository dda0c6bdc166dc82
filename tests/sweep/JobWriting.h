#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillet::testing {

/// A replacement job: the text to find and the text to write in its place.
using JobKey = std::pair<std::u16string, std::u16string>;

/// Text that a job wrote: 0-based start and length, and what it replaced.
struct Written {
    size_t start = 0;
    size_t length = 0;
    std::u16string replaced;
    /// The write that made it: empty spans at one place stand in the order of their writes.
    int64_t write = 0;

    friend bool operator==(const Written&, const Written&) = default;
};

/// What each job wrote into one story, followed through the changes of its
/// text. A change of the user's that reads as taking back some of the
/// writing takes it back, as an undo does; any other is one change between
/// the longest beginning and end that the texts share, and what it touches
/// is no longer what was written.
class JobWriting {
public:
    /// What `job` wrote here, in order.
    const std::vector<Written>& by(const JobKey& job) const;

    /// `job` wrote `writtenLength` units over `length` units from `start` of
    /// `before`, the story's text just before; `write` numbers the write.
    void wrote(const JobKey& job, const std::u16string& before, size_t start, size_t length, size_t writtenLength,
               int64_t write);
    /// The story's text `before` became `after` by one change.
    void follow(const std::u16string& before, const std::u16string& after);
    /// Whether `before` becoming `after` reads as taking back some of the
    /// writing here and nothing else.
    bool readsAsTakenBack(const std::u16string& before, const std::u16string& after) const;

private:
    /// Every job's spans, in order of place (and of write at one place).
    std::vector<std::pair<JobKey, size_t>> allSpans() const;
    /// Which of `spans` (allSpans) were taken back when `before` became
    /// `after`, the text between them unchanged; none when it reads otherwise.
    std::optional<std::vector<bool>> takenBack(const std::vector<std::pair<JobKey, size_t>>& spans,
                                               const std::u16string& before, const std::u16string& after) const;
    /// What a change is, for the places at its edges: a job's write
    /// (`writer`), an undo, or else the user's edit.
    struct Edges {
        const JobKey* writer = nullptr;
        bool undo = false;
    };
    /// Moves every span through one change: `oldLength` units from `start`
    /// became `newLength`; those it touches are gone.
    void change(size_t start, size_t oldLength, size_t newLength, const Edges& edges);

    std::map<JobKey, std::vector<Written>> byJob_;
};

}  // namespace quillet::testing
