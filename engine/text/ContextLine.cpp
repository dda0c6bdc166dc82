#include "engine/text/ContextLine.h"

#include "engine/text/unicode/Unicode.h"

namespace quillet {

namespace {

bool endsALine(char16_t unit) {
    return unit == u'\r' || unit == u'\n' || unit == u'\v' || unit == u'\u2028' || unit == u'\u2029';
}

constexpr std::u16string_view kCut = u"\u2026";

/// What a row shows for `units`: one line, with tabs as blanks.
void appendShown(std::u16string& line, std::u16string_view units) {
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit == u'\r' && i + 1 < units.size() && units[i + 1] == u'\n') continue;  // CR LF is one end
        if (unit == u'\r' || unit == u'\n' || unit == u'\u2029') line += u'\u00B6';
        else if (unit == u'\v' || unit == u'\u2028') line += u'\u21B5';
        else if (unit == u'\t') line += u' ';
        else line += unit;
    }
}

}  // namespace

ContextLine contextLineOf(std::u16string_view story, Span occurrence) {
    const auto size = lengthOf(story);
    Position from = occurrence.start;
    while (from > 0 && occurrence.start - from < kContextUnits && !endsALine(story[static_cast<size_t>(from - 1)])) --from;
    // A surrogate pair is never cut in two.
    if (from > 0 && unicode::isLowSurrogate(story[static_cast<size_t>(from)]) && from < occurrence.start) ++from;
    Position to = occurrence.end();
    while (to < size && to - occurrence.end() < kContextUnits && !endsALine(story[static_cast<size_t>(to)])) ++to;
    if (to < size && unicode::isLowSurrogate(story[static_cast<size_t>(to)]) && to > occurrence.end()) --to;

    ContextLine line;
    if (from > 0 && !endsALine(story[static_cast<size_t>(from - 1)])) line.text += kCut;
    appendShown(line.text, unitsOf(story, from, occurrence.start - from));
    line.occurrence.start = lengthOf(line.text);
    appendShown(line.text, unitsOf(story, occurrence));
    line.occurrence.length = lengthOf(line.text) - line.occurrence.start;
    appendShown(line.text, unitsOf(story, to == occurrence.end() ? to : occurrence.end(), to - occurrence.end()));
    if (to < size && !endsALine(story[static_cast<size_t>(to)])) line.text += kCut;
    return line;
}

}  // namespace quillet
