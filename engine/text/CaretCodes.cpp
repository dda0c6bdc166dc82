#include "engine/text/CaretCodes.h"

#include <algorithm>

namespace quillet {

namespace {

const CaretCode* codeOf(char16_t letter, CodedText in) {
    const auto* found = std::ranges::find(kCaretCodes, letter, &CaretCode::letter);
    if (found == std::ranges::end(kCaretCodes) || !found->knownIn(in)) return nullptr;
    return found;
}

}  // namespace

bool hasCaret(std::u16string_view text) { return text.find(kCaret) != std::u16string_view::npos; }

std::vector<CaretToken> readCaretCodes(std::u16string_view text, CodedText in) {
    std::vector<CaretToken> tokens;
    tokens.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const CaretCode* code = text[i] == kCaret && i + 1 < text.size() ? codeOf(text[i + 1], in) : nullptr;
        if (code == nullptr) {
            tokens.push_back({CodeMeaning::Character, text[i]});
            continue;
        }
        tokens.push_back({code->meaning, code->character});
        ++i;
    }
    return tokens;
}

std::u16string literalFindText(std::u16string_view text) {
    std::u16string literal;
    literal.reserve(text.size());
    for (const char16_t unit : text) {
        // A doubled caret reads as one, whatever follows it.
        if (unit == kCaret) literal.push_back(kCaret);
        literal.push_back(unit);
    }
    return literal;
}

}  // namespace quillet
