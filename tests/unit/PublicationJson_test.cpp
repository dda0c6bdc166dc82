#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "simhost/PublicationJson.h"
#include "simhost/ScenarioError.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/unit/HostResults.h"

namespace quillet::testing {
namespace {

using nlohmann::json;
using simhost::PublicationModel;
using simhost::ScenarioError;
using simhost::SelectionModel;

PublicationModel read(const char* text) { return simhost::readPublication(json::parse(text)); }

/// The frames of a story as (page, length) pairs.
std::vector<std::pair<int32_t, int32_t>> framesOf(const PublicationModel& model, size_t story) {
    std::vector<std::pair<int32_t, int32_t>> frames;
    for (const auto& frame : model.stories.at(story).frames) frames.emplace_back(frame.page, frame.length);
    return frames;
}

using Frames = std::vector<std::pair<int32_t, int32_t>>;

TEST(PublicationJson, AnEmptyPublicationHasOnePageNumberedOneAndNothingElse) {
    const PublicationModel model = read("{}");
    EXPECT_EQ(model.pageNumbers, (std::vector<std::u16string>{u"1"}));
    EXPECT_TRUE(model.stories.empty());
    EXPECT_FALSE(model.selection.has_value());
    EXPECT_EQ(model.displayedPage, 1);
}

TEST(PublicationJson, PagesAreNumberedFromOneUnlessTheirNumbersAreGiven) {
    EXPECT_EQ(read(R"({"pages": 12})").pageNumbers,
              (std::vector<std::u16string>{u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9", u"10", u"11", u"12"}));
    EXPECT_EQ(read(R"({"pages": 3, "pageNumbers": ["iv", "v", "A-1"]})").pageNumbers,
              (std::vector<std::u16string>{u"iv", u"v", u"A-1"}));
}

TEST(PublicationJson, StoriesLieInTheirFramesOnTheirPages) {
    const PublicationModel model = read(R"({"pages": 3, "stories": [
        "plain",
        {"text": "no page given"},
        {"text": "on two", "page": 2},
        {"text": "overflow", "page": 0},
        {"text": "flowing", "frames": [{"page": 2, "length": 4}, {"length": 1}, {"page": 3}]}
    ]})");
    ASSERT_EQ(model.stories.size(), 5u);
    EXPECT_EQ(model.stories[0].text, u"plain");
    EXPECT_EQ(framesOf(model, 0), (Frames{{1, 0}}));
    EXPECT_EQ(framesOf(model, 1), (Frames{{1, 0}}));
    EXPECT_EQ(framesOf(model, 2), (Frames{{2, 0}}));
    EXPECT_EQ(framesOf(model, 3), (Frames{{0, 0}}));
    EXPECT_EQ(framesOf(model, 4), (Frames{{2, 4}, {1, 1}, {3, 0}}));
    EXPECT_EQ(model.stories[4].text, u"flowing");
}

TEST(PublicationJson, TheReadFramesPutEachCharacterOnItsPageInTheHost) {
    // The last frame holds the rest of the text, past the 40 units before it.
    simhost::InMemoryHost host(read(R"({"pages": 3, "stories": [
        {"text": "Forty characters on page 2, then the rest on page 3.", "frames": [{"page": 2, "length": 40}, {"page": 3}]}
    ]})"),
                               {});
    PublicationRef pub = valueOf(host.application()->publication());
    TextSpanRef story = valueOf(valueOf(valueOf(pub->stories())->item(1))->textSpan());
    auto selectable = [&](int32_t start) { return valueOf(story->span(start, 1))->select().ok(); };

    EXPECT_FALSE(selectable(1));
    host.publication().displayPage(2);
    EXPECT_TRUE(selectable(1));
    EXPECT_TRUE(selectable(40));
    EXPECT_FALSE(selectable(41));
    host.publication().displayPage(3);
    EXPECT_FALSE(selectable(40));
    EXPECT_TRUE(selectable(41));
    EXPECT_TRUE(selectable(52));
}

TEST(PublicationJson, TheSelectionIsReadInCodeUnitsFromOne) {
    EXPECT_EQ(read(R"({"stories": ["The cat sat."], "selection": {"story": 1, "start": 5, "length": 3}})").selection,
              (SelectionModel{1, 5, 3}));
    EXPECT_EQ(read(R"({"stories": ["abc"], "selection": {"story": 1, "start": 4}})").selection, (SelectionModel{1, 4, 0}));
    EXPECT_FALSE(read(R"({"stories": ["abc"], "selection": null})").selection.has_value());
    // U+1F600 takes two of the story's units, so "cat" starts at 3.
    EXPECT_EQ(read(R"({"stories": ["\ud83d\ude00cat"], "selection": {"story": 1, "start": 3, "length": 3}})").selection,
              (SelectionModel{1, 3, 3}));
}

TEST(PublicationJson, TextsKeepTheirExactCodeUnits) {
    const PublicationModel model = read(R"({"stories": [
        "one\r\ntwo\rthree\nfour",
        "caf\u00e9 \u20ac \ud83d\ude00 a\u0000b",
        "café € 😀 Καλώς"
    ], "pageNumbers": ["\u00a7 1"]})");
    EXPECT_EQ(model.stories[0].text, u"one\r\ntwo\rthree\nfour");
    EXPECT_EQ(model.stories[1].text, (std::u16string{u'c', u'a', u'f', 0x00E9, u' ', 0x20AC, u' ', 0xD83D, 0xDE00, u' ',
                                                      u'a', 0x0000, u'b'}));
    EXPECT_EQ(model.stories[2].text, u"caf\u00e9 \u20ac \U0001F600 \u039a\u03b1\u03bb\u03ce\u03c2");
    EXPECT_EQ(model.stories[2].text.size(), 15u);
    EXPECT_EQ(model.pageNumbers, (std::vector<std::u16string>{u"\u00a7 1"}));
}

TEST(PublicationJson, ATextThatIsNotUtf8IsRejected) {
    // json::parse refuses such bytes itself; a document built in code can still hold them.
    try {
        (void)simhost::readText(json(std::string("caf\xC3", 4)), "a story");
        FAIL() << "no ScenarioError";
    } catch (const ScenarioError& error) {
        EXPECT_STREQ(error.what(), "a story is not valid UTF-8");
    }
}

/// The reason that reading `text` was refused with, or "accepted".
std::string rejection(const char* text) {
    try {
        (void)read(text);
        return "accepted";
    } catch (const ScenarioError& error) {
        return error.what();
    }
}

TEST(PublicationJson, AnInvalidPublicationIsRejectedWithItsReason) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {R"([])", "the publication must be an object"},
        {R"({"pages": "3"})", "pages must be an integer"},
        {R"({"pages": 2.5})", "pages must be an integer"},
        {R"({"pages": 0})", "pages must be between 1 and 32767"},
        {R"({"pages": 32768})", "pages must be between 1 and 32767"},
        {R"({"pages": 2, "pageNumbers": ["1"]})", "pageNumbers must hold one text for each page"},
        {R"({"pageNumbers": ["1", "2"]})", "pageNumbers must hold one text for each page"},
        {R"({"pageNumbers": "1"})", "pageNumbers must hold one text for each page"},
        {R"({"pageNumbers": [1]})", "a page number must be a text"},
        {R"({"stories": "text"})", "stories must be an array"},
        {R"({"stories": [42]})", "a story must be a text or an object with a text"},
        {R"({"stories": [{"page": 1}]})", "a story must be a text or an object with a text"},
        {R"({"stories": [{"text": null}]})", "a story's text must be a text"},
        {R"({"stories": [{"text": "a", "page": "1"}]})", "a story's page must be an integer"},
        {R"({"stories": [{"text": "a", "page": 2}]})", "a story's page must be between 0 and 1"},
        {R"({"pages": 2, "stories": [{"text": "a", "page": -1}]})", "a story's page must be between 0 and 2"},
        {R"({"stories": [{"text": "a", "frames": []}]})", "a story's frames must be a non-empty array"},
        {R"({"stories": [{"text": "a", "frames": {"page": 1}}]})", "a story's frames must be a non-empty array"},
        {R"({"stories": [{"text": "a", "frames": [1]}]})", "a frame must be an object"},
        {R"({"stories": [{"text": "a", "frames": [{"page": 2}]}]})", "a frame's page must be between 0 and 1"},
        {R"({"stories": [{"text": "a", "frames": [{"length": -1}, {}]}]})", "a frame's length must be between 0 and 2147483647"},
        {R"({"stories": ["abc"], "selection": [1, 1, 0]})", "the selection must be an object or null"},
        {R"({"stories": ["abc"], "selection": {"start": 1}})", "the selection's story must be an integer"},
        {R"({"stories": ["abc"], "selection": {"story": 2, "start": 1}})", "the selection's story must be between 1 and 1"},
        {R"({"stories": ["abc"], "selection": {"story": 1}})", "the selection's start must be an integer"},
        {R"({"stories": ["abc"], "selection": {"story": 1, "start": 0}})", "the selection's start must be between 1 and 4"},
        {R"({"stories": ["abc"], "selection": {"story": 1, "start": 5}})", "the selection's start must be between 1 and 4"},
        {R"({"stories": ["abc"], "selection": {"story": 1, "start": 2, "length": 3}})",
         "the selection's length must be between 0 and 2"},
    };
    for (const auto& [text, reason] : cases) EXPECT_EQ(rejection(text), reason) << text;
}

}  // namespace
}  // namespace quillet::testing
