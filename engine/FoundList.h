#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/memory/StoryMemory.h"
#include "engine/text/ContextLine.h"
#include "engine/text/FindRequest.h"
#include "engine/text/Position.h"

namespace quillet {

/// One occurrence that Find All listed.
struct FoundRow {
    /// Unique among the rows of every list, for as long as the engine lives.
    uint64_t id = 0;
    int32_t story = 0;
    Span span;
    /// The page that shows its first character: its 1-based place in the
    /// page collection and the number it shows; none while not known.
    std::optional<int32_t> page;
    std::u16string pageNumber;
    /// Known to be in text that no page shows.
    bool onNoPage = false;
    ContextLine context;
    bool checked = true;
    /// An edit touched it, its text box went, or it no longer reads as an
    /// occurrence: a pick selects nothing, and nothing writes it.
    bool stale = false;
};

/// What one Find All found, kept true as the user works: the engine moves
/// each row with its story's text whenever it reads that story.
struct FoundList {
    FindRequest request;
    /// The Replace dialog's job, whose writing is never listed.
    std::optional<Job> job;
    std::vector<FoundRow> rows;
    /// A host failure ended Find All before it read every story.
    bool incomplete = false;
    /// The text of each story that its rows were last judged against.
    std::map<int32_t, std::u16string> judgedAgainst;

    /// The ids of its rows, as the story memory marks them.
    std::set<uint64_t> rowIds() const {
        std::set<uint64_t> ids;
        for (const FoundRow& row : rows) ids.insert(row.id);
        return ids;
    }
};

}  // namespace quillet
