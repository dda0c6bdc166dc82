#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/memory/WrittenSpan.h"
#include "engine/text/FindRequest.h"
#include "engine/text/Position.h"
#include "engine/text/SearchBuffer.h"

namespace quillet {

/// How a job's writing in doubt is read in a copy of a story.
enum class DoubtReading {
    /// As the engine passes over it: masked, and seen both ways at its edges.
    BothWays,
    /// As if it surely were the job's writing.
    AsWritten,
    /// As if it were the story's own text.
    AsText,
};

/// Loads `text` into `buffer` with the job's `written` spans masked, so that
/// a find passes over them and judges whole words at their edges on what
/// they replaced.
void loadMasked(SearchBuffer& buffer, std::u16string text, const std::vector<WrittenSpan>& written,
                DoubtReading doubt = DoubtReading::BothWays);

/// The occurrences of `find` in `buffer` from `from` on, one after another:
/// each found after the end of the one before.
std::vector<Span> occurrencesIn(SearchBuffer& buffer, std::u16string_view find, FindOptions options,
                                Position from = 0);

/// How many occurrences of `find` in `text` a job leaves because its
/// writing there is in doubt: those that it would find with that writing
/// taken either way, and that it does not find passing over it.
int64_t occurrencesLeftInDoubt(const std::u16string& text, const std::vector<WrittenSpan>& written,
                               std::u16string_view find, FindOptions options);

}  // namespace quillet
