#include "engine/HostChain.h"

#include <limits>
#include <utility>

namespace quillet {

namespace {

/// `span` as the host counts: a 1-based start and a length, both 32-bit.
Result<std::pair<int32_t, int32_t>> hostPositions(Span span) {
    constexpr Position kMost = std::numeric_limits<int32_t>::max();
    if (span.start < 0 || span.start + 1 > kMost || span.length < 0 || span.length > kMost) return errors::overflow();
    return std::pair{static_cast<int32_t>(span.start + 1), static_cast<int32_t>(span.length)};
}

/// The object that `held` holds within the press, or else the one that
/// `member` gives of the object that `chain` reaches with `parent`, which
/// `held` then holds. A failure is passed on, and nothing is held.
template <typename Ref, typename Parent, typename Object>
Result<Ref> heldOrReached(Ref& held, HostChain& chain, Result<Parent> (HostChain::*parent)(),
                          Result<Ref> (Object::*member)()) {
    if (held) return held;
    auto found = (chain.*parent)().and_then([member](const Parent& object) { return ((*object).*member)(); });
    if (found) held = *found;
    return found;
}

}  // namespace

void HostChain::forget() {
    publication_.reset();
    stories_.reset();
    pages_.reset();
    view_.reset();
    story_.clear();
    wholeStory_.clear();
    selection_.reset();
}

Result<ApplicationRef> HostChain::application() {
    if (!application_) {
        auto created = applicationClass_.create();
        if (!created) return created.error();
        if (!*created) return errors::objectNotSet();
        application_ = std::move(*created);
    }
    return application_;
}

Result<PublicationRef> HostChain::publication() {
    return heldOrReached(publication_, *this, &HostChain::application, &Application::publication);
}

Result<StoryCollectionRef> HostChain::stories() {
    return heldOrReached(stories_, *this, &HostChain::publication, &Publication::stories);
}

Result<PageCollectionRef> HostChain::pages() {
    return heldOrReached(pages_, *this, &HostChain::publication, &Publication::pages);
}

Result<PublicationViewRef> HostChain::view() {
    return heldOrReached(view_, *this, &HostChain::publication, &Publication::view);
}

Result<StoryRef> HostChain::story(int32_t index) {
    if (auto held = story_.find(index); held != story_.end()) return held->second;
    auto found = stories().and_then([index](const StoryCollectionRef& all) { return all->item(index); });
    if (found) story_[index] = *found;
    return found;
}

Result<TextSpanRef> HostChain::wholeStory(int32_t index) {
    if (auto held = wholeStory_.find(index); held != wholeStory_.end()) return held->second;
    auto found = story(index).and_then([](const StoryRef& held) { return held->textSpan(); });
    if (found) wholeStory_[index] = *found;
    return found;
}

Result<int32_t> HostChain::storyCount() {
    return stories().and_then([](const StoryCollectionRef& all) { return all->count(); });
}

Result<std::u16string> HostChain::storyText(int32_t story) {
    return wholeStory(story).and_then([](const TextSpanRef& span) { return span->text(); });
}

Result<TextSpanRef> HostChain::spanOf(int32_t story, Span span) {
    auto positions = hostPositions(span);
    if (!positions) return positions.error();
    return wholeStory(story).and_then(
        [&](const TextSpanRef& whole) { return whole->span(positions->first, positions->second); });
}

Status HostChain::write(int32_t story, Span span, const std::u16string& text) {
    auto target = spanOf(story, span);
    // A span held across a write may not reach text that the write moved.
    wholeStory_.erase(story);
    if (!target) return target.error();
    return (*target)->setText(text);
}

Result<int32_t> HostChain::pageCount() {
    return pages().and_then([](const PageCollectionRef& all) { return all->count(); });
}

Result<PageRef> HostChain::page(int32_t place) {
    return pages().and_then([place](const PageCollectionRef& all) { return all->item(place); });
}

Status HostChain::displayPage(int32_t place) {
    auto shown = view();
    if (!shown) return shown.error();
    auto wanted = page(place);
    if (!wanted) return wanted.error();
    return (*shown)->setPage(*wanted);
}

Result<PageRef> HostChain::displayedPage() {
    return view().and_then([](const PublicationViewRef& shown) { return shown->page(); });
}

Result<HostChain::Selection> HostChain::selection() {
    selection_.reset();
    auto span = publication()
                    .and_then([](const PublicationRef& pub) { return pub->selection(); })
                    .and_then([](const PublicationSelectionRef& selected) { return selected->textSpan(); });
    if (!span) return span.error();
    auto text = (*span)->text();
    if (!text) return text.error();
    Selection selected{std::move(*text), std::nullopt, std::nullopt};
    auto start = (*span)->start();
    if (start) selected.start = *start;
    if (!start && !isMissingMember(start.error())) return start.error();
    auto story = (*span)->story();
    if (!story && !isMissingMember(story.error())) return story.error();
    if (story) {
        auto storyText = (*story)->textSpan().and_then([](const TextSpanRef& whole) { return whole->text(); });
        if (!storyText) return storyText.error();
        selected.story = std::move(*storyText);
    }
    selection_ = std::move(*span);
    return selected;
}

Status HostChain::writeSelection(const std::u16string& text) {
    if (!selection_) return errors::objectNotSet();
    wholeStory_.clear();
    return selection_->setText(text);
}

Result<HostChain::PublicationVerdict> HostChain::publicationSinceLastPress() {
    auto now = publication();
    if (!now) return now.error();
    const PublicationRef last = std::exchange(lastPublication_, *now);
    if (!last || (*now)->isSameObject(*last)) return PublicationVerdict::Same;
    // Another object: another publication, or a host that hands out a new
    // object at every call, which asking again tells.
    auto again = application().and_then([](const ApplicationRef& app) { return app->publication(); });
    if (!again) return again.error();
    return (*again)->isSameObject(**now) ? PublicationVerdict::Another : PublicationVerdict::Unknown;
}

Result<bool> HostChain::screenUpdating() {
    return application().and_then([](const ApplicationRef& app) { return app->screenUpdating(); });
}

Status HostChain::setScreenUpdating(bool updating) {
    return application().and_then([updating](const ApplicationRef& app) { return app->setScreenUpdating(updating); });
}

Result<PublicationRef> HostChain::beginUndoGroup(const std::u16string& name) {
    auto pub = publication();
    if (!pub) return pub.error();
    if (auto begun = (*pub)->beginUndoGroup(name); !begun) return begun.error();
    return pub;
}

}  // namespace quillet
