#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/sweep/JobWriting.h"

namespace quillet::testing {

/// What a press looks for: its find text and options.
struct SearchOptions {
    std::u16string findText;
    bool matchCase = false;
    bool wholeWord = false;
};

/// Whether `story` reads as the find text from `at`, code point by code
/// point (folded unless the case must match), splitting no surrogate pair at
/// either end.
bool readsAsFindText(const std::u16string& story, size_t at, const SearchOptions& search);

/// Whether the `length` units from `at` reach into text that `spans` hold,
/// or an empty span stands inside them.
bool reachesIntoWritten(size_t at, size_t length, const std::vector<Written>& spans);

/// Whether the `length` units from `at` of `story` stand as a whole word,
/// judged as if what `spans` hold were the text it replaced: the last span
/// that ends there, and the first that begins after them.
bool standsAsWholeWord(const std::u16string& story, size_t at, size_t length, const std::vector<Written>& spans);

/// Whether an occurrence under `search` stands at `at` of `story`, where
/// `spans` hold what the job wrote: no occurrence reaches into the job's own
/// output, and whole words are judged as standsAsWholeWord does.
bool occursAt(const std::u16string& story, size_t at, const SearchOptions& search, const std::vector<Written>& spans);

}  // namespace quillet::testing
