// The Special menu against what the engine reads: the menu of each text box
// offers exactly the codes that the box's text knows, and each item types a
// code that reads as what the item's name says.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/text/FindPattern.h"
#include "engine/text/ReplacementText.h"
#include "tests/unit/EngineHarness.h"
#include "tests/unit/HostResults.h"

namespace quillet::testing {
namespace {

// What each item's name says, as a text that the item's code matches whole
// in a find text and, where a replacement knows it too, writes into an empty
// story.
const std::map<std::u16string, std::u16string> kWhatTheNameSays = {
    {u"Paragraph Mark", u"\r"},         {u"Manual Line Break", u"\v"},   {u"Tab Character", u"\t"},
    {u"Nonbreaking Space", u"\u00A0"},  {u"Em Dash", u"\u2014"},         {u"En Dash", u"\u2013"},
    {u"Nonbreaking Hyphen", u"\u2011"}, {u"Optional Hyphen", u"\u00AD"}, {u"Caret Character", u"^"},
    {u"Any Character", u"%"},           {u"Any Digit", u"7"},            {u"Any Letter", u"q"},
    {u"White Space", u" \t\u00A0"},
};

using TypedItems = std::vector<std::pair<std::u16string, std::u16string>>;

// Each item of the menu that the Special button shows for `box`, with what
// choosing it types into the empty box.
TypedItems typedByMenu(simhost::DialogView& dialog, simhost::MenuChoices& menus, std::string_view box) {
    dialog.userSetText(box, u"");
    // With no choice waiting, the menu only shows itself.
    dialog.userPress("cmdSpecial");
    TypedItems typed;
    for (const std::u16string& item : menus.lastMenu()) {
        dialog.userSetText(box, u"");
        menus.add(item);
        dialog.userPress("cmdSpecial");
        typed.emplace_back(item, dialog.text(box));
    }
    return typed;
}

std::set<std::u16string> codesOf(const TypedItems& items) {
    std::set<std::u16string> codes;
    for (const auto& [item, typed] : items) codes.insert(typed);
    return codes;
}

constexpr FindOptions kCase{/*matchCase=*/true, /*wholeWord=*/false};

std::optional<std::int64_t> lengthOf(const std::u16string& text) { return static_cast<std::int64_t>(text.size()); }

// A caret and a unit that a text reads as something other than themselves.
std::set<std::u16string> codesReadBy(bool (*readAsItself)(const std::u16string&)) {
    std::set<std::u16string> codes;
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string typed{u'^', static_cast<char16_t>(unit)};
        if (!readAsItself(typed)) codes.insert(typed);
    }
    return codes;
}

bool findReadsAsItself(const std::u16string& typed) {
    return FindPattern(typed, kCase).matchAt(typed, 0) == lengthOf(typed);
}

bool replacementReadsAsItself(const std::u16string& typed) { return expandReplacement(typed, u"") == typed; }

TEST(SpecialMenu, OffersEachTextExactlyTheCodesItReadsEachAsItsNameSays) {
    EngineHarness h(publicationOf({u"text"}));
    valueOf(h.forms.replaceForm())->Show();
    simhost::DialogView& replace = *h.windows.find("frmReplace");

    const TypedItems findMenu = typedByMenu(replace, h.menus, "txtFindWhat");
    for (const auto& [item, typed] : findMenu) {
        SCOPED_TRACE(std::string(item.begin(), item.end()));
        ASSERT_TRUE(kWhatTheNameSays.contains(item));
        const std::u16string& says = kWhatTheNameSays.at(item);
        EXPECT_EQ(FindPattern(typed, kCase).matchAt(says, 0), lengthOf(says));
    }
    const TypedItems replacementMenu = typedByMenu(replace, h.menus, "txtReplaceWith");
    for (const auto& [item, typed] : replacementMenu) {
        SCOPED_TRACE(std::string(item.begin(), item.end()));
        ASSERT_TRUE(kWhatTheNameSays.contains(item));
        EXPECT_EQ(expandReplacement(typed, u""), kWhatTheNameSays.at(item));
    }
    // No two items type the same code.
    EXPECT_EQ(codesOf(findMenu).size(), findMenu.size());
    EXPECT_EQ(codesOf(findMenu), codesReadBy(findReadsAsItself));
    EXPECT_EQ(codesOf(replacementMenu), codesReadBy(replacementReadsAsItself));
}

}  // namespace
}  // namespace quillet::testing
