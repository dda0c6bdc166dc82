#include "engine/text/PatternElement.h"

#include <string>

#include "engine/text/CaretCodes.h"
#include "engine/text/unicode/CodePointClass.h"
#include "engine/text/unicode/Unicode.h"

namespace quillet {

using Kind = PatternElement::Kind;
using unicode::CodePointClass;

namespace {

// A code for one character joins the literal run around it instead.
Kind kindOf(CodeMeaning meaning) {
    switch (meaning) {
    case CodeMeaning::Character: return Kind::Literal;
    case CodeMeaning::ParagraphEnd: return Kind::ParagraphEnd;
    case CodeMeaning::LineBreak: return Kind::LineBreak;
    case CodeMeaning::AnyCharacter: return Kind::AnyCharacter;
    case CodeMeaning::Digit: return Kind::Digit;
    case CodeMeaning::Letter: return Kind::Letter;
    case CodeMeaning::WhiteSpace: return Kind::WhiteSpace;
    }
    return Kind::Literal;
}

PatternElement codeElement(Kind kind) {
    PatternElement element;
    element.kind = kind;
    if (kind == Kind::ParagraphEnd) element.leadingText.prepare(u"\r", /*matchCase=*/true);
    return element;
}

PatternElement literalElement(std::u16string_view run, FindOptions options) {
    PatternElement element;
    element.leadingText.prepare(run, options.matchCase);
    return element;
}

// Space separators are all in the BMP: here a unit is a character.
bool isWhiteSpace(char16_t u) { return u == u'\t' || unicode::classOf(u) == CodePointClass::SpaceSeparator; }

ElementExits onlyTo(Position pos) { return {1, {{/*again=*/false, pos}}}; }

ElementExits exitsOfClass(bool (*wanted)(CodePointClass), std::u16string_view text, Position pos) {
    const auto [cp, units] = unicode::codePointAt(text, pos);
    if (!wanted(unicode::classOf(cp))) return {};
    return onlyTo(pos + units);
}

bool isDecimalDigit(CodePointClass cls) { return cls == CodePointClass::DecimalDigit; }

}  // namespace

std::vector<PatternElement> readFindPattern(std::u16string_view findText, FindOptions options) {
    std::vector<PatternElement> elements;
    std::u16string run;
    auto endRun = [&] {
        if (run.empty()) return;
        elements.push_back(literalElement(run, options));
        run.clear();
    };
    for (const CaretToken& token : readCaretCodes(findText, CodedText::Find)) {
        if (token.meaning == CodeMeaning::Character) {
            run.push_back(token.character);
            continue;
        }
        endRun();
        const Kind kind = kindOf(token.meaning);
        elements.push_back(codeElement(kind));
        if (kind == Kind::WhiteSpace) elements.push_back(codeElement(Kind::MoreWhiteSpace));
    }
    endRun();
    return elements;
}

ElementExits exitsOf(const PatternElement& element, std::u16string_view text, Position pos) {
    const Position size = lengthOf(text);
    // Only more white space can end where it begins, at the end of the text too.
    if (pos >= size) return element.kind == Kind::MoreWhiteSpace ? onlyTo(pos) : ElementExits{};
    const char16_t u = text[pos];
    switch (element.kind) {
    case Kind::Literal: {
        const Position length = element.leadingText.length();
        if (pos + length > size || !element.leadingText.matchesAt(text.data(), size, pos)) return {};
        return onlyTo(pos + length);
    }
    case Kind::ParagraphEnd:
        if (u != u'\r') return {};
        if (pos + 1 < size && text[pos + 1] == u'\n')
            return {2, {{/*again=*/false, pos + 2}, {/*again=*/false, pos + 1}}};
        return onlyTo(pos + 1);
    case Kind::LineBreak:
        if (u == u'\v' || (u == u'\n' && (pos == 0 || text[pos - 1] != u'\r'))) return onlyTo(pos + 1);
        return {};
    case Kind::AnyCharacter:
        return onlyTo(pos + unicode::codePointAt(text, pos).units);
    case Kind::Digit:
        return exitsOfClass(isDecimalDigit, text, pos);
    case Kind::Letter:
        return exitsOfClass(unicode::isLetter, text, pos);
    case Kind::WhiteSpace:
        if (!isWhiteSpace(u)) return {};
        return onlyTo(pos + 1);
    case Kind::MoreWhiteSpace:
        if (!isWhiteSpace(u)) return onlyTo(pos);
        return {2, {{/*again=*/true, pos + 1}, {/*again=*/false, pos}}};
    }
    return {};
}

LengthBounds lengthBoundsOf(const PatternElement& element) {
    switch (element.kind) {
    case Kind::Literal: {
        const Position length = element.leadingText.length();
        return {length, length};
    }
    case Kind::LineBreak:
    case Kind::WhiteSpace: return {1, 1};
    case Kind::ParagraphEnd:
    case Kind::AnyCharacter:
    case Kind::Digit:
    case Kind::Letter: return {1, 2};
    case Kind::MoreWhiteSpace: return {0, kUnboundedLength};
    }
    return {0, kUnboundedLength};
}

}  // namespace quillet
