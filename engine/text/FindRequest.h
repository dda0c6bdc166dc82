#pragma once

#include <string>

namespace quillet {

/// How a find compares a text with the content.
struct FindOptions {
    /// Only occurrences with the same case match.
    bool matchCase = false;
    /// Only occurrences that are whole words match.
    bool wholeWord = false;

    friend bool operator==(const FindOptions&, const FindOptions&) = default;
};

/// What a dialog asks the engine to find: the text exactly as typed (not
/// trimmed, possibly empty), and the options read from its check boxes at
/// the same press.
struct FindRequest {
    std::u16string text;
    FindOptions options;
};

/// How a replacement is written.
struct ReplaceOptions {
    /// Each occurrence's case carries over to what replaces it: all capitals
    /// give all capitals, a first capital a first capital.
    bool keepCase = false;
};

}  // namespace quillet
