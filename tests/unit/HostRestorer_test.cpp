// Replace All in a current host: one undo step, nothing drawn while it runs,
// and the host put right before every box and on every way out; what the
// host refuses to put right is asked again, and the user is told once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "addin/Component.h"
#include "simhost/Utf8.h"
#include "simhost/headless/HeadlessWindows.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/unit/EngineHarness.h"
#include "tests/unit/HostResults.h"
#include "engine/ReplaceAllProgress.h"

namespace quillet::testing {
namespace {

using simhost::Frame;
using simhost::HostCapabilities;
using simhost::toUtf8;

const RaisedError kInjected{-2147418113, u"Catastrophic failure"};
constexpr HostCapabilities kCurrentHost{};
constexpr HostCapabilities kOlderHost{false, false, true};

/// What the host was made to do and what the user was shown, in one order.
/// Each box also notes whether it found the host drawing nothing or with an
/// undo group open.
class Timeline : public simhost::HostEvents, public MessageBoxPort {
public:
    explicit Timeline(simhost::InMemoryHost& host) : host_(host) {}

    void viewSet(int32_t page) override { add("view " + std::to_string(page)); }
    void selected(int32_t story, int32_t start, int32_t, const std::u16string&) override {
        add("select " + std::to_string(story) + " " + std::to_string(start));
    }
    void written(int32_t story, int32_t start, int32_t, const std::u16string& oldText,
                 const std::u16string& newText) override {
        add("write " + std::to_string(story) + " " + std::to_string(start) + " " + toUtf8(oldText) + ">" +
            toUtf8(newText));
    }
    void screenUpdatingSet(bool updating) override { add(updating ? "screen on" : "screen off"); }
    void undoGroupBegun(const std::u16string& name) override { add("undo begin " + toUtf8(name)); }
    void undoGroupEnded() override { add("undo end"); }

    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>&) override {
        std::string box = "box " + toUtf8(prompt);
        if (!host_.screenUpdating()) box += " [drawing nothing]";
        if (host_.publication().undoGroupOpen()) box += " [in an undo group]";
        add(box);
        return buttons == msgbox::kYesNoQuestion ? msgbox::kAnswerNo : msgbox::kAnswerOk;
    }

    std::vector<std::string> take() { return std::exchange(events_, {}); }

private:
    void add(std::string event) { events_.push_back(std::move(event)); }

    simhost::InMemoryHost& host_;
    std::vector<std::string> events_;
};

using Events = std::vector<std::string>;

/// What an older host shows of the same work: everything but the members that it lacks.
Events withoutTheNewMembers(Events events) {
    std::erase_if(events, [](const std::string& event) {
        return event.starts_with("screen ") || event.starts_with("undo ");
    });
    return events;
}

struct Sweep {
    explicit Sweep(simhost::PublicationModel model, HostCapabilities offered = kCurrentHost)
        : host(std::move(model), {}, offered) {
        host.listen(timeline);
    }

    std::vector<std::u16string> stories() {
        std::vector<std::u16string> texts;
        for (const auto& story : host.publication().model().stories) texts.push_back(story.text);
        return texts;
    }
    /// Find Next from the Replace dialog, then Replace All; the timeline of the Replace All.
    Events findThenReplaceAll(const std::u16string& find, const std::u16string& with) {
        (void)engine.FindNext({find, {}}, /*noWrapPrompt=*/false);
        timeline.take();
        engine.ReplaceAll({find, {}}, with);
        return timeline.take();
    }
    size_t undoSteps() { return host.publication().undoSteps(); }

    simhost::InMemoryHost host;
    Timeline timeline{host};
    simhost::HeadlessWindowSystem windows{host.faults()};
    Component component{{timeline, host, windows, windows}};
    Module1& engine = component.engine();
};

/// Two cats on page 1, one on page 2 and one on no page.
simhost::PublicationModel catsOnEveryPage() {
    auto model = publicationOf({u"a cat, a cat", u"cat on page two", u"overflow: cat"}, 2);
    model.stories[1].frames = {Frame{2, 0}};
    model.stories[2].frames = {Frame{0, 0}};
    return model;
}

TEST(QuietReplaceAll, ReplaceAllIsOneUndoStepDrawnOnceAtItsEndAndSaysCompleteAfterward) {
    Sweep s(catsOnEveryPage());
    const auto before = s.stories();
    (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
    const int64_t redrawsBefore = s.host.redraws();
    s.timeline.take();
    s.engine.ReplaceAll({u"cat", {}}, u"dog");

    const Events events = s.timeline.take();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(Events(events.begin(), events.begin() + 3),
              (Events{"screen off", "undo begin Replace All", "write 1 3 cat>dog"}));
    EXPECT_EQ(Events(events.end() - 3, events.end()), (Events{"undo end", "screen on", "box Replace complete!"}));
    EXPECT_EQ(s.stories(), (std::vector<std::u16string>{u"a dog, a dog", u"dog on page two", u"overflow: dog"}));
    EXPECT_EQ(s.host.redraws(), redrawsBefore + 1);
    EXPECT_EQ(s.undoSteps(), 1u);

    // One undo gives every story back, the one on no page too.
    EXPECT_TRUE(s.host.publication().undo());
    EXPECT_EQ(s.stories(), before);
    EXPECT_EQ(s.undoSteps(), 0u);
}

TEST(QuietReplaceAll, InAnOlderHostItMakesTheSameWritesAndBoxesEachWriteAStep) {
    Sweep current(catsOnEveryPage());
    Sweep older(catsOnEveryPage(), kOlderHost);
    const Events quiet = current.findThenReplaceAll(u"cat", u"dog");
    const Events plain = older.findThenReplaceAll(u"cat", u"dog");
    EXPECT_EQ(withoutTheNewMembers(quiet), plain);
    EXPECT_EQ(plain, withoutTheNewMembers(plain));
    EXPECT_EQ(older.stories(), current.stories());
    EXPECT_EQ(older.undoSteps(), 4u);
    EXPECT_TRUE(older.host.screenUpdating());
}

TEST(QuietReplaceAll, EveryWayOutPutsTheHostRightBeforeItsBox) {
    // A write that fails after one went through; the user stopping it.
    struct StopAfterOne : ReplaceAllProgress {
        bool proceed(int64_t, int64_t) override { return false; }
        void ended() override {}
    };
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "failed");
        Sweep current(catsOnEveryPage());
        Sweep older(catsOnEveryPage(), kOlderHost);
        for (Sweep* s : {&current, &older}) {
            (void)s->engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
            s->timeline.take();
            StopAfterOne stopAfterOne;
            if (!stop) s->host.faults().fail("TextSpan.setText", kInjected, /*count=*/0, /*after=*/1);
            s->engine.ReplaceAll({u"cat", {}}, u"dog", {}, stop ? &stopAfterOne : nullptr);
        }
        const Events events = current.timeline.take();
        ASSERT_GE(events.size(), 3u);
        EXPECT_EQ(Events(events.end() - 3, events.end() - 1), (Events{"undo end", "screen on"}));
        EXPECT_TRUE(events.back().starts_with(stop ? "box Replace All stopped: 1 of 4 replaced."
                                                   : "box Run-time error type -2147418113"))
            << events.back();
        EXPECT_EQ(withoutTheNewMembers(events), older.timeline.take());
        EXPECT_EQ(current.undoSteps(), 1u);
    }
}

TEST(QuietReplaceAll, ASweepThatWritesNothingLeavesTheHostUntouched) {
    // Nothing is selected and no match is current: the first write finds no
    // selection, and no occurrence is left to replace.
    Sweep s(publicationOf({u"no match here"}));
    s.engine.ReplaceAll({u"cat", {}}, u"dog");
    EXPECT_EQ(s.timeline.take(), (Events{"box Replace complete!"}));
    EXPECT_EQ(s.undoSteps(), 0u);
}

TEST(QuietReplaceAll, AFailingMemberIsPassedOverSilentlyAndTheSweepRunsToItsEnd) {
    struct Case {
        const char* operation;
        int after;
        Events start;  // what comes before the first write
        Events end;    // and after the last find, before the box
        size_t undoSteps;
        bool updatingAtTheEnd;
    };
    const Case cases[] = {
        {"Application.screenUpdating", 0, {"undo begin Replace All"}, {"undo end"}, 1, true},  // the read
        {"Application.screenUpdating", 1, {"undo begin Replace All"}, {"undo end"}, 1, true},  // turning it off
        // Refused once, turning it back on is asked again at once.
        {"Application.screenUpdating", 2, {"screen off", "undo begin Replace All"}, {"undo end", "screen on"}, 1, true},
        {"Publication.beginUndo", 0, {"screen off"}, {"screen on"}, 3, true},
        // Refused once, ending the group is asked again at once.
        {"Publication.endUndo", 0, {"screen off", "undo begin Replace All"}, {"undo end", "screen on"}, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + " after " + std::to_string(c.after));
        Sweep s(publicationOf({u"cat cat", u"cat"}));
        (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
        s.timeline.take();
        s.host.faults().fail(c.operation, kInjected, /*count=*/1, c.after);
        s.engine.ReplaceAll({u"cat", {}}, u"dog");

        Events events = s.timeline.take();
        const auto firstWrite = std::find_if(events.begin(), events.end(),
                                             [](const std::string& e) { return e.starts_with("write"); });
        EXPECT_EQ(Events(events.begin(), firstWrite), c.start);
        ASSERT_GE(events.size(), c.end.size() + 1);
        EXPECT_EQ(Events(events.end() - 1 - static_cast<std::ptrdiff_t>(c.end.size()), events.end() - 1), c.end);
        EXPECT_TRUE(events.back().starts_with("box Replace complete!")) << events.back();
        EXPECT_EQ(s.stories(), (std::vector<std::u16string>{u"dog dog", u"dog"}));
        EXPECT_EQ(s.undoSteps(), c.undoSteps);
        EXPECT_EQ(s.host.screenUpdating(), c.updatingAtTheEnd);
    }
}

TEST(QuietReplaceAll, UpdatingThatWasOffAlreadyIsLeftOffAndTheWritesAreStillOneStep) {
    Sweep s(publicationOf({u"cat cat"}));
    (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
    succeed(s.host.application()->setScreenUpdating(false));
    s.timeline.take();
    s.engine.ReplaceAll({u"cat", {}}, u"dog");
    const Events events = s.timeline.take();
    EXPECT_EQ(events.front(), "undo begin Replace All");
    EXPECT_EQ(std::count(events.begin(), events.end(), "screen on"), 0);
    EXPECT_FALSE(s.host.screenUpdating());
    EXPECT_EQ(s.undoSteps(), 1u);
}

TEST(QuietReplaceAll, TwoReplaceAllsAreTwoUndoStepsAndFindNextAndReplaceTouchNeitherMember) {
    Sweep s(publicationOf({u"cat cat", u"cat"}));
    s.findThenReplaceAll(u"cat", u"dog");
    s.findThenReplaceAll(u"dog", u"cow");
    EXPECT_EQ(s.undoSteps(), 2u);

    (void)s.engine.FindNext({u"cow", {}}, /*noWrapPrompt=*/false);
    (void)s.engine.ReplaceAndFindNext({u"cow", {}}, u"ox", /*quiet=*/false);
    const Events events = s.timeline.take();
    EXPECT_EQ(events, withoutTheNewMembers(events));
    EXPECT_EQ(s.undoSteps(), 3u);

    EXPECT_TRUE(s.host.publication().undo());
    EXPECT_TRUE(s.host.publication().undo());
    EXPECT_EQ(s.stories(), (std::vector<std::u16string>{u"dog dog", u"dog"}));
}

TEST(HostRestorer, WhatTheHostRefusesToPutBackIsAskedAgainAtEveryPressAndTheUserIsToldOnce) {
    struct Case {
        const char* operation;
        int after;
        const char* putBack;
    };
    // Refused twice running: ending the group, or turning drawing back on
    // (its read and its turning off went through first).
    for (const Case& c : {Case{"Publication.endUndo", 0, "undo end"}, Case{"Application.screenUpdating", 2, "screen on"}}) {
        SCOPED_TRACE(c.operation);
        Sweep s(publicationOf({u"cat cat"}));
        (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
        s.timeline.take();
        s.host.faults().fail(c.operation, kInjected, /*count=*/4, c.after);
        s.engine.ReplaceAll({u"cat", {}}, u"dog");
        Events events = s.timeline.take();
        // Told once, before the box that the Replace All shows; both boxes
        // find the host as it refuses to be.
        EXPECT_EQ(std::count_if(events.begin(), events.end(),
                                [](const std::string& e) {
                                    return e.starts_with(
                                        "box Run-time error type -2147418113 occurred.\r\nCatastrophic failure [");
                                }),
                  1);
        EXPECT_TRUE(events.back().starts_with("box Replace complete!")) << events.back();
        EXPECT_EQ(std::count(events.begin(), events.end(), c.putBack), 0);

        // The next press asks again, first of all, and once more: now the
        // host agrees, and nobody is told anything.
        (void)s.engine.FindNext({u"dog", {}}, /*noWrapPrompt=*/false);
        events = s.timeline.take();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), c.putBack);
        EXPECT_TRUE(std::none_of(events.begin(), events.end(),
                                 [](const std::string& e) { return e.starts_with("box Run-time"); }));
        EXPECT_TRUE(s.host.screenUpdating());
        EXPECT_FALSE(s.host.publication().undoGroupOpen());
        EXPECT_TRUE(s.host.publication().undo());
        EXPECT_EQ(s.stories(), (std::vector<std::u16string>{u"cat cat"}));
    }
}

TEST(HostRestorer, AWalkAcrossPagesDrawsNothingUntilTheSearchEndsOrABoxComes) {
    auto model = publicationOf({u"cat", u"cat"}, 3);
    model.stories[0].frames = {Frame{3, 0}};
    model.stories[1].frames = {Frame{2, 0}};
    Sweep s(model);
    (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
    EXPECT_EQ(s.timeline.take(), (Events{"screen off", "view 2", "view 3", "select 1 1", "screen on"}));
    (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
    (void)s.engine.FindNext({u"cat", {}}, /*noWrapPrompt=*/false);
    const Events events = s.timeline.take();
    EXPECT_EQ(events.back(),
              "box You have reached the end of your publication with no more matches.  Would you like to continue "
              "searching from the beginning?  (Choose Yes if you have added text or text frames since you began "
              "searching)");
    EXPECT_TRUE(s.host.screenUpdating());
}

}  // namespace
}  // namespace quillet::testing
