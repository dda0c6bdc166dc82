// Where the displayed page stands among the pages of a host whose pages have
// no PageIndex.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/PlaceOfPage.h"
#include "tests/unit/HostResults.h"

namespace quillet::testing {
namespace {

const RaisedError kBroken{-2147418113, u"Catastrophic failure"};

class FakePage : public Page {
public:
    explicit FakePage(std::u16string number) : number_(std::move(number)) {}

    Result<std::u16string> number() override {
        if (broken) return kBroken;
        return number_;
    }
    Result<int32_t> index() override { return RaisedError{hresults::kUnknownName, u"Unknown name."}; }
    Result<ShapeCollectionRef> shapes() override { return RaisedError{hresults::kUnknownName, u"Unknown name."}; }
    bool isSameObject(const Page& other) const override { return &other == this; }

    bool broken = false;

private:
    std::u16string number_;
};

/// The pages of an older host. One that keeps its objects hands out the same
/// object for a page at every call; one that does not, a new one each time.
class FakePages : public PageCollection {
public:
    FakePages(std::vector<std::u16string> numbers, bool keepsObjects) : keepsObjects_(keepsObjects) {
        for (auto& number : numbers) pages_.push_back(std::make_shared<FakePage>(std::move(number)));
    }

    Result<PageRef> item(int32_t index) override {
        ++itemsRead;
        if (index == brokenItem) return kBroken;
        const auto& page = pages_.at(static_cast<size_t>(index - 1));
        if (keepsObjects_) return PageRef(page);
        return PageRef(std::make_shared<FakePage>(*page));
    }
    Result<int32_t> count() override { return static_cast<int32_t>(pages_.size()); }

    /// The page at `index` as the view hands it out.
    std::shared_ptr<FakePage> displayed(int32_t index) {
        const auto& page = pages_.at(static_cast<size_t>(index - 1));
        return keepsObjects_ ? page : std::make_shared<FakePage>(*page);
    }

    int32_t brokenItem = 0;
    int32_t itemsRead = 0;

private:
    std::vector<std::shared_ptr<FakePage>> pages_;
    bool keepsObjects_;
};

TEST(PlaceOfPage, AHostThatKeepsItsPageObjectsIsAnsweredByIdentityWhateverTheNumbersSay) {
    FakePages pages({u"1", u"1", u"1"}, /*keepsObjects=*/true);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(3), /*lastShown=*/1)), 3);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(2), /*lastShown=*/1)), 2);
}

TEST(PlaceOfPage, ANumberThatOnlyOnePageShowsGivesThatPageBeforeTheLastShownOne) {
    FakePages pages({u"5", u"6", u"7"}, /*keepsObjects=*/false);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(2), /*lastShown=*/3)), 2);
    FakePages roman({u"i", u"ii", u"iii", u"0"}, /*keepsObjects=*/false);
    EXPECT_EQ(valueOf(placeOfPage(roman, *roman.displayed(3), /*lastShown=*/1)), 3);
    EXPECT_EQ(valueOf(placeOfPage(roman, *roman.displayed(4), /*lastShown=*/1)), 4);
}

TEST(PlaceOfPage, PagesShowingTheSameNumberAreToldApartByTheLastShownPage) {
    FakePages pages({u"1", u"2", u"1", u"2"}, /*keepsObjects=*/false);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(3), /*lastShown=*/3)), 3);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(4), /*lastShown=*/4)), 4);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(1), /*lastShown=*/1)), 1);
}

TEST(PlaceOfPage, WhereNothingTellsThePageTheNearestPageShowingItsNumberIsIt) {
    // The view shows another page than the one last shown, and its number is
    // not the only one of its kind: the user most likely turned a page or two.
    FakePages pages({u"1", u"2", u"1", u"2"}, /*keepsObjects=*/false);
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(4), /*lastShown=*/1)), 2);
    FakePages roman({u"i", u"i", u"ii"}, /*keepsObjects=*/false);
    EXPECT_EQ(valueOf(placeOfPage(roman, *roman.displayed(1), /*lastShown=*/3)), 2);
    // A page that is not among the pages at all: its number text is left.
    FakePage stray(u"9");
    EXPECT_EQ(valueOf(placeOfPage(pages, stray, /*lastShown=*/1)), 9);
}

TEST(PlaceOfPage, ThePagesAreReadOutwardsFromTheLastShownOneUntilItIsFound) {
    std::vector<std::u16string> numbers;
    for (int page = 1; page <= 200; ++page) numbers.push_back(u"p" + std::u16string(static_cast<size_t>(page), u'.'));
    FakePages pages(numbers, /*keepsObjects=*/false);
    // The user turned from page 149 to 150: pages 149 and 150, and 150 once
    // more to learn that the host hands out new objects.
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(150), /*lastShown=*/149)), 150);
    EXPECT_EQ(pages.itemsRead, 3);
    pages.itemsRead = 0;
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(146), /*lastShown=*/149)), 146);
    EXPECT_EQ(pages.itemsRead, 8);
    // A last shown page that is gone since: the reading starts at the end.
    pages.itemsRead = 0;
    EXPECT_EQ(valueOf(placeOfPage(pages, *pages.displayed(200), /*lastShown=*/250)), 200);
    EXPECT_EQ(pages.itemsRead, 2);
}

TEST(PlaceOfPage, AFailingHostCallFailsIt) {
    FakePages pages({u"1", u"2", u"3"}, /*keepsObjects=*/false);
    pages.brokenItem = 2;
    EXPECT_TRUE(failedWith(placeOfPage(pages, *pages.displayed(3), /*lastShown=*/1), kBroken));

    FakePages shown({u"1", u"2"}, /*keepsObjects=*/false);
    auto displayed = shown.displayed(2);
    displayed->broken = true;
    EXPECT_TRUE(failedWith(placeOfPage(shown, *displayed, /*lastShown=*/2), kBroken));
}

TEST(PlaceOfPage, OnlyAnUnknownNameOrAMemberNotFoundMeansThatPageIndexIsMissing) {
    EXPECT_TRUE(isMissingMember({hresults::kUnknownName, u"Unknown name."}));
    EXPECT_TRUE(isMissingMember({hresults::kMemberNotFound, u"Member not found."}));
    for (const int32_t number : {hresults::kUnspecified, hresults::kInvalidArgument, hresults::kNotOnDisplayedPage, 13})
        EXPECT_FALSE(isMissingMember({number, u""})) << number;
}

}  // namespace
}  // namespace quillet::testing
