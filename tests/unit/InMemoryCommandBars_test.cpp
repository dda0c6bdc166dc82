#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/Utf8.h"
#include "simhost/memory/InMemoryHost.h"
#include "tests/unit/HostResults.h"

namespace quillet::testing {
namespace {

using simhost::BarModel;
using simhost::ControlModel;
using simhost::toUtf8;

constexpr int32_t kInvalid = hresults::kInvalidArgument;
constexpr int32_t kNoInterface = -2147467262;  // E_NOINTERFACE
constexpr int32_t kComboBox = 4;

class BarEvents : public simhost::HostEvents {
public:
    void barAdded() override { events.push_back("bar added"); }
    void barDeleted(const std::u16string& name) override { events.push_back("bar deleted " + toUtf8(name)); }
    void controlAdded(const std::u16string& bar) override { events.push_back("control added " + toUtf8(bar)); }

    std::vector<std::string> take() { return std::exchange(events, {}); }

    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

const std::u16string kOurs = u"Tarnwick Find/Replace";

std::vector<BarModel> startingBars() {
    return {
        BarModel{u"Standard", true, true, {ControlModel{u"Open", 1, 23, true, true}, ControlModel{u"Zoom", kComboBox, 0, true, true}}},
        BarModel{kOurs, true, false, {ControlModel{u"Find", 1, 46, true, true}, ControlModel{u"Replace", 1, 47, false, true}}},
    };
}

struct Host {
    Host() : host(simhost::PublicationModel{}, startingBars()) { host.listen(log); }

    ToolbarCollectionRef toolbars() { return valueOf(host.application()->toolbars()); }
    ToolbarRef bar(const std::u16string& name) { return valueOf(toolbars()->item(name)); }
    ToolbarControlsRef controls(const std::u16string& bar) { return valueOf(this->bar(bar)->controls()); }
    ToolbarControlRef control(const std::u16string& bar, const std::u16string& caption) {
        return valueOf(controls(bar)->item(caption));
    }
    std::vector<BarModel> bars() { return host.commandBars().bars(); }

    BarEvents log;
    simhost::InMemoryHost host;
};

/// Counts the clicks it receives; can unsubscribe itself on the first.
class CountingSink : public ButtonClickSink {
public:
    void Click(const ToolbarButtonRef& ctrl, bool&) override {
        ++clicks;
        clicked = ctrl;
        if (unsubscribeOnClick) (void)ctrl->unsubscribe(*unsubscribeOnClick);
    }

    int clicks = 0;
    ToolbarButtonRef clicked;
    std::optional<uint32_t> unsubscribeOnClick;
};

TEST(InMemoryCommandBars, StartingBarsAreFoundByNameAndTheirControlsByCaption) {
    Host h;
    ASSERT_EQ(h.bars(), startingBars());

    // The control found must be that one: a change through it lands on it alone.
    succeed(h.control(kOurs, u"Replace")->setCaption(u"Replace..."));
    succeed(h.control(u"Standard", u"Zoom")->setVisible(false));
    std::vector<BarModel> expected = startingBars();
    expected[1].controls[1].caption = u"Replace...";
    expected[0].controls[1].visible = false;
    EXPECT_EQ(h.bars(), expected);
}

TEST(InMemoryCommandBars, MissingNamesAndCaptionsAreInvalidArguments) {
    Host h;
    EXPECT_TRUE(failedWith(h.toolbars()->item(u"Formatting"), kInvalid));
    EXPECT_TRUE(failedWith(h.toolbars()->item(u""), kInvalid));
    EXPECT_TRUE(failedWith(h.controls(kOurs)->item(u"Open"), kInvalid));  // on another bar
    EXPECT_TRUE(failedWith(h.controls(kOurs)->item(u"Find "), kInvalid));
}

TEST(InMemoryCommandBars, AddAppendsABarWithTheHostDefaults) {
    Host h;
    ToolbarRef added = valueOf(h.toolbars()->add());
    EXPECT_EQ(h.log.take(), (Events{"bar added"}));
    std::vector<BarModel> expected = startingBars();
    expected.push_back(BarModel{u"Custom 3", false, true, {}});
    EXPECT_EQ(h.bars(), expected);

    succeed(added->setName(u"Mine"));
    EXPECT_TRUE(failedWith(h.toolbars()->item(u"Custom 3"), kInvalid));
    succeed(h.bar(u"Mine")->setVisible(true));
    EXPECT_TRUE(h.bars().back().visible);
}

TEST(InMemoryCommandBars, AddingAControlOfTypeOneAppendsAPlainButton) {
    Host h;
    ToolbarControlRef added = valueOf(h.controls(kOurs)->add(1));
    EXPECT_EQ(h.log.take(), (Events{"control added Tarnwick Find/Replace"}));
    EXPECT_EQ(h.bars()[1].controls.back(), (ControlModel{u"Custom", 1, 0, true, true}));

    succeed(valueOf(added->asButton())->setIcon(59));
    EXPECT_EQ(h.bars()[1].controls.back().faceId, 59);
    EXPECT_EQ(h.bars()[1].controls.size(), 3u);
}

TEST(InMemoryCommandBars, OnlyAPlainButtonCanBeViewedAsAButton) {
    Host h;
    EXPECT_TRUE(h.control(kOurs, u"Find")->asButton().ok());
    EXPECT_TRUE(failedWith(h.control(u"Standard", u"Zoom")->asButton(), kNoInterface));
    ToolbarControlRef popup = valueOf(h.controls(kOurs)->add(10));
    EXPECT_TRUE(failedWith(popup->asButton(), kNoInterface));
}

TEST(InMemoryCommandBars, RemovingABarDeletesItAndEndsItsObjectsButNoOthers) {
    Host h;
    ToolbarRef ours = h.bar(kOurs);
    ToolbarControlsRef controls = valueOf(ours->controls());
    ToolbarControlRef find = valueOf(controls->item(u"Find"));
    ToolbarButtonRef button = valueOf(find->asButton());

    succeed(ours->remove());
    EXPECT_EQ(h.log.take(), (Events{"bar deleted Tarnwick Find/Replace"}));
    EXPECT_EQ(h.bars(), (std::vector<BarModel>{startingBars()[0]}));
    EXPECT_TRUE(failedWith(h.toolbars()->item(kOurs), kInvalid));

    const RaisedError gone{hresults::kUnspecified, u"Unspecified error"};
    EXPECT_TRUE(failedWith(ours->remove(), gone));
    EXPECT_TRUE(failedWith(ours->controls(), gone));
    EXPECT_TRUE(failedWith(ours->setName(u"again"), gone));
    EXPECT_TRUE(failedWith(ours->setVisible(true), gone));
    EXPECT_TRUE(failedWith(ours->setEnabled(true), gone));
    EXPECT_TRUE(failedWith(controls->add(1), gone));
    EXPECT_TRUE(failedWith(controls->item(u"Find"), gone));
    EXPECT_TRUE(failedWith(find->setCaption(u"x"), gone));
    EXPECT_TRUE(failedWith(find->setEnabled(false), gone));
    EXPECT_TRUE(failedWith(find->setVisible(false), gone));
    EXPECT_TRUE(failedWith(button->setIcon(1), gone));
    EXPECT_TRUE(h.log.take().empty());

    succeed(h.control(u"Standard", u"Open")->setCaption(u"Open..."));
    EXPECT_TRUE(valueOf(h.bar(u"Standard")->controls())->add(1).ok());
    EXPECT_EQ(h.bars()[0].controls[0].caption, u"Open...");
    EXPECT_EQ(h.bars()[0].controls.size(), 3u);

    // A new bar can take the name again; it is another bar.
    succeed(valueOf(h.toolbars()->add())->setName(kOurs));
    EXPECT_TRUE(failedWith(h.controls(kOurs)->item(u"Find"), kInvalid));
}

TEST(InMemoryCommandBars, ClickReachesEverySubscribedSinkUntilItUnsubscribes) {
    Host h;
    ToolbarButtonRef find = valueOf(h.control(kOurs, u"Find")->asButton());
    CountingSink first, second;
    const uint32_t firstCookie = valueOf(find->subscribe(first));
    const uint32_t secondCookie = valueOf(find->subscribe(second));
    EXPECT_NE(firstCookie, secondCookie);

    EXPECT_TRUE(h.host.commandBars().click(kOurs, u"Find"));
    EXPECT_EQ(first.clicks, 1);
    EXPECT_EQ(second.clicks, 1);
    // The button handed to the sink is the clicked control.
    ASSERT_NE(first.clicked, nullptr);
    succeed(first.clicked->setIcon(99));
    EXPECT_EQ(h.bars()[1].controls[0].faceId, 99);

    succeed(find->unsubscribe(firstCookie));
    EXPECT_TRUE(failedWith(find->unsubscribe(firstCookie), kInvalid));
    EXPECT_TRUE(h.host.commandBars().click(kOurs, u"Find"));
    EXPECT_EQ(first.clicks, 1);
    EXPECT_EQ(second.clicks, 2);

    // Another control's clicks reach none of them.
    EXPECT_TRUE(h.host.commandBars().click(kOurs, u"Replace"));
    EXPECT_EQ(second.clicks, 2);
}

TEST(InMemoryCommandBars, ASinkMayUnsubscribeItselfWhileItsClickIsDelivered) {
    Host h;
    ToolbarButtonRef find = valueOf(h.control(kOurs, u"Find")->asButton());
    CountingSink once, always;
    once.unsubscribeOnClick = valueOf(find->subscribe(once));
    (void)valueOf(find->subscribe(always));

    EXPECT_TRUE(h.host.commandBars().click(kOurs, u"Find"));
    EXPECT_TRUE(h.host.commandBars().click(kOurs, u"Find"));
    EXPECT_EQ(once.clicks, 1);
    EXPECT_EQ(always.clicks, 2);
}

TEST(InMemoryCommandBars, ClickOnAMissingBarOrCaptionReportsNothingClicked) {
    Host h;
    CountingSink sink;
    (void)valueOf(valueOf(h.control(kOurs, u"Find")->asButton())->subscribe(sink));

    EXPECT_FALSE(h.host.commandBars().click(u"Formatting", u"Find"));
    EXPECT_FALSE(h.host.commandBars().click(kOurs, u"Open"));
    succeed(h.bar(kOurs)->remove());
    EXPECT_FALSE(h.host.commandBars().click(kOurs, u"Find"));
    EXPECT_EQ(sink.clicks, 0);
}

TEST(InMemoryCommandBars, PropertySettersChangeWhatTheBarsReport) {
    Host h;
    ToolbarRef ours = h.bar(kOurs);
    succeed(ours->setEnabled(true));
    succeed(ours->setVisible(false));
    ToolbarControlRef replace = h.control(kOurs, u"Replace");
    succeed(replace->setEnabled(false));
    succeed(replace->setVisible(true));
    succeed(replace->setCaption(u"&Replace"));
    succeed(valueOf(replace->asButton())->setIcon(0));
    succeed(ours->setName(u"Renamed"));

    std::vector<BarModel> expected = startingBars();
    expected[1] = BarModel{u"Renamed", false, true,
                           {ControlModel{u"Find", 1, 46, true, true}, ControlModel{u"&Replace", 1, 0, true, false}}};
    EXPECT_EQ(h.bars(), expected);
    EXPECT_TRUE(h.log.take().empty());
}

const RaisedError kInjected{-2147418113, u"Catastrophic failure"};

template <typename T>
std::optional<RaisedError> failureOf(const Result<T>& result) {
    if (result) return std::nullopt;
    return result.error();
}

TEST(InMemoryCommandBars, EachOperationFailsByItsOwnNameWithTheInjectedErrorAndChangesNothing) {
    Host h;
    const ToolbarCollectionRef toolbars = h.toolbars();
    const ToolbarRef standard = h.bar(u"Standard");
    const ToolbarControlsRef controls = valueOf(standard->controls());
    const ToolbarControlRef open = valueOf(controls->item(u"Open"));
    const ToolbarButtonRef button = valueOf(open->asButton());
    const std::vector<std::pair<const char*, std::function<std::optional<RaisedError>()>>> operations{
        {"ToolbarCollection.item", [&] { return failureOf(toolbars->item(u"Standard")); }},
        {"ToolbarCollection.add", [&] { return failureOf(toolbars->add()); }},
        {"Toolbar.controls", [&] { return failureOf(standard->controls()); }},
        {"Toolbar.delete", [&] { return failureOf(h.bar(kOurs)->remove()); }},
        {"Toolbar.setEnabled", [&] { return failureOf(standard->setEnabled(false)); }},
        {"Toolbar.setName", [&] { return failureOf(standard->setName(u"Renamed")); }},
        {"Toolbar.setVisible", [&] { return failureOf(standard->setVisible(false)); }},
        {"ToolbarControls.add", [&] { return failureOf(controls->add(1)); }},
        {"ToolbarControls.item", [&] { return failureOf(controls->item(u"Open")); }},
        {"ToolbarControl.setCaption", [&] { return failureOf(open->setCaption(u"Opened")); }},
        {"ToolbarControl.setEnabled", [&] { return failureOf(open->setEnabled(false)); }},
        {"ToolbarControl.setVisible", [&] { return failureOf(open->setVisible(false)); }},
        {"ToolbarButton.query", [&] { return failureOf(open->asButton()); }},
        {"ToolbarButton.setIcon", [&] { return failureOf(button->setIcon(7)); }},
    };

    for (const auto& [name, call] : operations) {
        SCOPED_TRACE(name);
        h.host.faults().fail(name, kInjected, /*count=*/1, /*after=*/0);
        const std::vector<BarModel> before = h.bars();
        h.log.take();
        EXPECT_EQ(call(), kInjected);
        EXPECT_EQ(h.bars(), before);
        EXPECT_TRUE(h.log.take().empty());
        EXPECT_EQ(call(), std::nullopt);
    }
}

}  // namespace
}  // namespace quillet::testing
