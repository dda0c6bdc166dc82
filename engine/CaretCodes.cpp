#include "engine/CaretCodes.h"

#include <optional>

namespace quillet {

namespace {

// The codes that stand for one character wherever they are typed.
std::optional<char16_t> characterOfCode(char16_t letter) {
    switch (letter) {
    case u't': return u'\t';
    case u's': return u'\u00A0';
    case u'+': return u'\u2014';
    case u'=': return u'\u2013';
    case u'~': return u'\u2011';
    case u'-': return u'\u00AD';
    case kCaret: return kCaret;
    default: return std::nullopt;
    }
}

}  // namespace

bool hasCaret(std::u16string_view text) { return text.find(kCaret) != std::u16string_view::npos; }

std::vector<CaretToken> readCaretCodes(std::u16string_view text, std::u16string_view codeLetters) {
    std::vector<CaretToken> tokens;
    tokens.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kCaret && i + 1 < text.size()) {
            const char16_t letter = text[i + 1];
            if (const auto character = characterOfCode(letter)) {
                tokens.push_back({/*isCode=*/false, *character});
                ++i;
                continue;
            }
            if (codeLetters.find(letter) != std::u16string_view::npos) {
                tokens.push_back({/*isCode=*/true, letter});
                ++i;
                continue;
            }
        }
        tokens.push_back({/*isCode=*/false, text[i]});
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
