#include "engine/text/ReplacementText.h"

#include <algorithm>
#include <optional>

#include "engine/text/CaretCodes.h"
#include "engine/text/KeepCase.h"

namespace quillet {

namespace {

// A replacement writes what each code it knows stands for: a class of
// characters has nothing to write.
static_assert(std::ranges::all_of(kCaretCodes, [](const CaretCode& code) {
    return !code.knownIn(CodedText::Replacement) || code.meaning == CodeMeaning::Character ||
           code.meaning == CodeMeaning::ParagraphEnd || code.meaning == CodeMeaning::LineBreak;
}));

std::u16string_view paragraphEndOf(std::u16string_view story) {
    return story.find(u"\r\n") != std::u16string_view::npos ? u"\r\n" : u"\r";
}

char16_t lineBreakOf(std::u16string_view story) {
    if (story.find(u'\v') != std::u16string_view::npos) return u'\v';
    for (std::size_t i = story.find(u'\n'); i != std::u16string_view::npos; i = story.find(u'\n', i + 1)) {
        if (i == 0 || story[i - 1] != u'\r') return u'\n';
    }
    return u'\v';
}

}  // namespace

std::u16string expandReplacement(std::u16string_view replaceText, std::u16string_view story) {
    std::u16string expanded;
    expanded.reserve(replaceText.size());
    // The story is looked at only for the codes that need it, and once.
    std::optional<std::u16string_view> paragraphEnd;
    std::optional<char16_t> lineBreak;
    for (const CaretToken& token : readCaretCodes(replaceText, CodedText::Replacement)) {
        if (token.meaning == CodeMeaning::Character) {
            expanded.push_back(token.character);
        } else if (token.meaning == CodeMeaning::ParagraphEnd) {
            if (!paragraphEnd) paragraphEnd = paragraphEndOf(story);
            expanded += *paragraphEnd;
        } else {
            if (!lineBreak) lineBreak = lineBreakOf(story);
            expanded.push_back(*lineBreak);
        }
    }
    return expanded;
}

std::u16string replacementFor(std::u16string_view replaceText, std::u16string_view occurrence,
                              std::u16string_view story, ReplaceOptions options) {
    std::u16string written = expandReplacement(replaceText, story);
    return options.keepCase ? inCaseOf(occurrence, std::move(written)) : written;
}

}  // namespace quillet
