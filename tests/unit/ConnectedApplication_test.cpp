// The engine reaches the publication of the host that connected the add-in,
// even where creating the host's class reaches another instance of the host.
#include <gtest/gtest.h>

#include "addin/Connect.h"
#include "tests/unit/EngineHarness.h"

namespace quillet::testing {
namespace {

using simhost::SelectionModel;

/// The add-in loaded into one host, while the host's class hands out the
/// application of another instance, with another publication.
struct TwoInstances {
    simhost::InMemoryHost connecting{publicationOf({u"The cat sat."}), {}};
    simhost::InMemoryHost reachedByClass{publicationOf({u"cat"}), {}};
    ScriptedMessages messages;
    simhost::HeadlessWindowSystem windows{connecting.faults()};
    Component component{{messages, reachedByClass, windows, windows}};
    Connect connect{component};

    bool findNext(const std::u16string& text) { return component.engine().FindNext({text, {}}, /*noWrapPrompt=*/false).value().finished; }
};

TEST(ConnectedApplication, TheEngineSearchesThePublicationOfTheHostThatConnected) {
    TwoInstances hosts;
    hosts.connect.AddinInstance_OnConnection(*hosts.connecting.applicationObject(), 1);
    ASSERT_TRUE(hosts.connect.pubApp);

    EXPECT_FALSE(hosts.findNext(u"cat"));
    EXPECT_EQ(hosts.connecting.publication().model().selection, (SelectionModel{1, 5, 3}));
    EXPECT_FALSE(hosts.reachedByClass.publication().model().selection.has_value());
    EXPECT_TRUE(hosts.messages.shown.empty());
}

TEST(ConnectedApplication, BeforeAnyConnectionTheEngineCreatesTheHostsClass) {
    TwoInstances hosts;
    EXPECT_FALSE(hosts.findNext(u"cat"));
    EXPECT_EQ(hosts.reachedByClass.publication().model().selection, (SelectionModel{1, 1, 3}));

    // Once made, the engine's reference is kept for the component's life.
    hosts.connect.AddinInstance_OnConnection(*hosts.connecting.applicationObject(), 0);
    EXPECT_TRUE(hosts.findNext(u"cat"));  // the end of the class's publication; No to going on
    EXPECT_FALSE(hosts.connecting.publication().model().selection.has_value());
}

TEST(ConnectedApplication, AnObjectThatRefusedToBeTheApplicationHandsNothingOver) {
    TwoInstances hosts;
    hosts.connecting.faults().fail("Application.query", {-2147467262, u"No such interface supported"}, 1, 0);
    hosts.connect.AddinInstance_OnConnection(*hosts.connecting.applicationObject(), 1);
    ASSERT_EQ(1u, hosts.messages.shown.size());

    EXPECT_FALSE(hosts.findNext(u"cat"));
    EXPECT_EQ(hosts.reachedByClass.publication().model().selection, (SelectionModel{1, 1, 3}));
}

}  // namespace
}  // namespace quillet::testing
