// The random users' checker itself: what its truth holds after the user's
// steps, and where its reading of the texts lets the add-in off.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/sweep/SearchTracker.h"
#include "tests/sweep/StoryMatching.h"

namespace quillet::testing {
namespace {

using Texts = std::vector<std::u16string>;

/// The Replace dialog as the checker reads it at a press: its texts and
/// options, nothing else.
class ReplaceDialog : public simhost::DialogView, public simhost::DialogFinder {
public:
    ReplaceDialog(std::u16string find, std::u16string replacement)
        : find_(std::move(find)), replacement_(std::move(replacement)) {}

    simhost::DialogView* find(std::string_view form) override { return form == "frmReplace" ? this : nullptr; }
    std::u16string text(std::string_view control) const override {
        return control == "txtFindWhat" ? find_ : replacement_;
    }
    int checkValue(std::string_view) const override { return 0; }

    const FormLayout& layout() const override { return unexpected<const FormLayout&>("layout"); }
    bool visible() const override { return unexpected<bool>("visible"); }
    bool topmost() const override { return unexpected<bool>("topmost"); }
    bool enabled(std::string_view) const override { return unexpected<bool>("enabled"); }
    bool userSetText(std::string_view, std::u16string) override { return unexpected<bool>("userSetText"); }
    bool userSetCheck(std::string_view, int) override { return unexpected<bool>("userSetCheck"); }
    bool userPress(std::string_view) override { return unexpected<bool>("userPress"); }
    bool userEnter() override { return unexpected<bool>("userEnter"); }
    bool userEsc() override { return unexpected<bool>("userEsc"); }
    bool userCloseBox() override { return unexpected<bool>("userCloseBox"); }
    std::vector<ShownRow> rows(std::string_view) const override { return unexpected<std::vector<ShownRow>>("rows"); }
    bool userPick(std::string_view, size_t) override { return unexpected<bool>("userPick"); }
    bool userCheck(std::string_view, size_t, bool) override { return unexpected<bool>("userCheck"); }

private:
    template <typename T>
    static T unexpected(const char* member) {
        ADD_FAILURE() << "unexpected call of " << member;
        throw std::logic_error(member);
    }

    std::u16string find_;
    std::u16string replacement_;
};

/// A run as RunInvariants drives the checker: the stories as they are, the
/// user's steps, and Replace All presses of the job cat -> cats whose writes
/// the test makes.
class WatchedRun {
public:
    explicit WatchedRun(Texts stories) : stories_(std::move(stories)), tracker_(stories_) {
        tracker_.readDialogsFrom(dialog_);
    }

    /// A Replace All press: the checker looks at the stories.
    void replaceAll() {
        tracker_.beforeStep(simhost::steps::Press{{"frmReplace", "cmdReplaceAll"}}, std::nullopt, stories_);
    }
    /// The press writes "cats" over "cat" at `start` of `story`: what is wrong with it.
    std::optional<std::string> write(int32_t story, size_t start) {
        std::u16string& text = stories_[story - 1];
        const std::u16string before = text;
        text.replace(start, 3, u"cats");
        return tracker_.write(story, before, start, 3, u"cats");
    }
    std::optional<std::string> complete() { return tracker_.complete(stories_); }

    void type(int32_t story, const std::u16string& text) {
        tracker_.beforeStep(simhost::steps::Type{}, std::nullopt, stories_);
        tracker_.edited(story, stories_[story - 1], text);
        stories_[story - 1] = text;
    }
    void deleteStory(int32_t story) {
        tracker_.beforeStep(simhost::steps::DeleteStory{story}, std::nullopt, stories_);
        tracker_.storyDeleted(story);
        stories_.erase(stories_.begin() + (story - 1));
    }
    void insertStory(int32_t story, const std::u16string& text) {
        tracker_.beforeStep(simhost::steps::InsertStory{story, text}, std::nullopt, stories_);
        tracker_.storyInserted(story);
        stories_.insert(stories_.begin() + (story - 1), text);
    }
    void move(int32_t story, int32_t to) {
        tracker_.beforeStep(simhost::steps::Move{story, to}, std::nullopt, stories_);
        tracker_.storyMoved(story, to);
        std::u16string moved = stories_[story - 1];
        stories_.erase(stories_.begin() + (story - 1));
        stories_.insert(stories_.begin() + (to - 1), moved);
    }
    /// An undo, and the stories as the host gives them back.
    void undo(Texts stories) {
        tracker_.beforeStep(simhost::steps::Undo{}, std::nullopt, stories_);
        tracker_.undone();
        stories_ = std::move(stories);
    }
    void open(Texts stories) {
        tracker_.beforeStep(simhost::steps::Open{}, std::nullopt, stories_);
        stories_ = std::move(stories);
        tracker_.publicationOpened(stories_);
    }

    const Texts& stories() const { return stories_; }
    const Leniency& leniency() const { return tracker_.leniency(); }

private:
    ReplaceDialog dialog_{u"cat", u"cats"};
    Texts stories_;
    SearchTracker tracker_;
};

constexpr char kOverOwnOutput[] = "a write over the job's own output";

// --- The truth: an undo takes back the latest step, whoever made it ------------

TEST(SearchTrackerTruth, AnUndoOfTheUsersTypingGivesBackTheJobsOutputThatItTouched) {
    WatchedRun run({u"a cat"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt);
    run.type(1, u"a cXts");
    run.undo({u"a cats"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), kOverOwnOutput);
}

TEST(SearchTrackerTruth, AnUndoOfADeletionBringsTheStoryBackWithWhatWasWrittenInIt) {
    WatchedRun run({u"a cat", u"other"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt);
    run.deleteStory(1);
    run.replaceAll();
    run.undo({u"a cats", u"other"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), kOverOwnOutput);
}

TEST(SearchTrackerTruth, AMovedStoryKeepsWhatWasWrittenInItAndTheOthersHoldNothingOfIt) {
    WatchedRun run({u"a cat", u"a cat"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt);
    run.move(1, 2);
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt) << "the story that came to the front was never written";
    EXPECT_EQ(run.write(2, 2), kOverOwnOutput);
}

TEST(SearchTrackerTruth, AnotherPublicationHoldsNothingOfTheFirstOnesJobsHoweverAlikeItReads) {
    WatchedRun run({u"a cat"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt);
    run.open({u"a cats"});
    run.replaceAll();
    EXPECT_EQ(run.complete(), "\"Replace complete!\" with an occurrence left in story 1");
    EXPECT_EQ(run.leniency().storiesExemptedFromComplete, 0);
}

// --- The reading: where no add-in could know better -------------------------------

TEST(SearchTrackerReading, ABoxDeletedAndAnAlikeOneAddedAtItsPlaceReadsAsAnEditAndIsLetOff) {
    WatchedRun run({u"a cat here"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt);
    run.deleteStory(1);
    run.insertStory(1, u"a cats there");
    run.replaceAll();
    EXPECT_EQ(run.complete(), std::nullopt);
    EXPECT_EQ(run.leniency().storiesExemptedFromComplete, 1);
}

TEST(SearchTrackerReading, AStoryEditedOrMovedAsTheTextsShowIsHeldToComplete) {
    WatchedRun edited({u"a cat here"});
    edited.replaceAll();
    EXPECT_EQ(edited.write(1, 2), std::nullopt);
    edited.type(1, u"a cats there");
    edited.replaceAll();
    EXPECT_EQ(edited.complete(), std::nullopt);

    // The user's own "cat" left behind a moved story's output is an occurrence.
    WatchedRun moved({u"a cat", u"x", u"cat"});
    moved.replaceAll();
    EXPECT_EQ(moved.write(1, 2), std::nullopt);
    moved.move(1, 3);
    moved.replaceAll();
    EXPECT_EQ(moved.complete(), "\"Replace complete!\" with an occurrence left in story 2");
    EXPECT_EQ(moved.leniency().storiesExemptedFromComplete, 0);
}

TEST(SearchTrackerReading, TwoStoriesOfOneTextSwappedReadAsNothingChangedAndOnlyCompleteIsLetOff) {
    WatchedRun run({u"a cat", u"a cat"});
    run.replaceAll();
    EXPECT_EQ(run.write(1, 2), std::nullopt);
    run.type(2, u"a cats");
    run.replaceAll();
    run.move(1, 2);
    run.replaceAll();
    // The user's "cats" came to the front, where the texts show the job's output.
    EXPECT_EQ(run.complete(), std::nullopt);
    EXPECT_EQ(run.leniency().storiesExemptedFromComplete, 1);
    // A write is judged by the truth all the same.
    EXPECT_EQ(run.write(2, 2), kOverOwnOutput);
}

// --- Matching the stories of two presses by their texts ---------------------------------

std::vector<std::optional<size_t>> matched(const Texts& then, const Texts& now) {
    return matchStories(then, now, [&](size_t was, size_t is) { return readsAlike(then[was], now[is]); });
}

TEST(StoryMatching, StoriesKeptInOrderAreTheSameEditedOrNot) {
    using Match = std::vector<std::optional<size_t>>;
    EXPECT_EQ(matched({u"one", u"two", u"three"}, {u"one", u"twin", u"three"}), (Match{0, 1, 2}));
    EXPECT_EQ(matched({u"one", u"two", u"three"}, {u"one", u"three"}), (Match{0, 2}));
    EXPECT_EQ(matched({u"one", u"three"}, {u"one", u"new text", u"three"}), (Match{0, std::nullopt, 1}));
    // Another text altogether at a story's place is another text box.
    EXPECT_EQ(matched({u"one", u"two"}, {u"one", u"xyz"}), (Match{0, std::nullopt}));
}

TEST(StoryMatching, AStoryThatWentElsewhereIsMovedEvenWhenEditedOnTheWay) {
    using Match = std::vector<std::optional<size_t>>;
    EXPECT_EQ(matched({u"first", u"second", u"third"}, {u"third", u"first", u"second"}), (Match{2, 0, 1}));
    EXPECT_EQ(matched({u"first", u"second", u"third"}, {u"second", u"third", u"first!"}), (Match{1, 2, 0}));
    EXPECT_EQ(matched({u"first", u"second"}, {u"second", u"first"}), (Match{1, 0}));
    // Of two stories of one text, the first that stays is the first that was.
    EXPECT_EQ(matched({u"same", u"same", u"x"}, {u"x", u"same", u"same"}), (Match{2, 0, 1}));
}

}  // namespace
}  // namespace quillet::testing
