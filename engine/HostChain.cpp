#include "engine/HostChain.h"

#include <utility>

#include "engine/PlaceOfPage.h"

namespace quillet {

HostChain::WriteWatcher* HostChain::watchWrites(WriteWatcher* watcher) {
    return std::exchange(writeWatcher_, watcher);
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
    return application().and_then([](const ApplicationRef& app) { return app->publication(); });
}

Status HostChain::displayPage(int32_t index) {
    auto view = publication().and_then([](const PublicationRef& pub) { return pub->view(); });
    if (!view) return view.error();
    auto page = publication()
                    .and_then([](const PublicationRef& pub) { return pub->pages(); })
                    .and_then([index](const PageCollectionRef& pages) { return pages->item(index); });
    if (!page) return page.error();
    return (*view)->setPage(*page);
}

Result<int32_t> HostChain::storyCount() {
    return publication()
        .and_then([](const PublicationRef& pub) { return pub->stories(); })
        .and_then([](const StoryCollectionRef& stories) { return stories->count(); });
}

namespace {

Result<TextSpanRef> storySpan(const PublicationRef& pub, int32_t story) {
    return pub->stories()
        .and_then([story](const StoryCollectionRef& stories) { return stories->item(story); })
        .and_then([](const StoryRef& found) { return found->textSpan(); });
}

}  // namespace

Result<std::u16string> HostChain::storyText(int32_t story) {
    return publication()
        .and_then([story](const PublicationRef& pub) { return storySpan(pub, story); })
        .and_then([](const TextSpanRef& span) { return span->text(); });
}

Result<TextSpanRef> HostChain::storySubSpan(int32_t story, int32_t start, int32_t length) {
    return publication()
        .and_then([story](const PublicationRef& pub) { return storySpan(pub, story); })
        .and_then([start, length](const TextSpanRef& whole) { return whole->span(start, length); });
}

Status HostChain::selectInStory(int32_t story, int32_t start, int32_t length) {
    return storySubSpan(story, start, length).and_then([](const TextSpanRef& span) { return span->select(); });
}

Status HostChain::writeInStory(int32_t story, int32_t start, int32_t length, const std::u16string& text) {
    return storySubSpan(story, start, length).and_then([&](const TextSpanRef& span) { return write(span, text); });
}

Result<int32_t> HostChain::displayedPageIndex(int32_t lastShown) {
    auto page = publication()
                    .and_then([](const PublicationRef& pub) { return pub->view(); })
                    .and_then([](const PublicationViewRef& view) { return view->page(); });
    if (!page) return page.error();
    auto index = (*page)->index();
    if (index || !isMissingMember(index.error())) return index;
    return publication()
        .and_then([](const PublicationRef& pub) { return pub->pages(); })
        .and_then([&](const PageCollectionRef& pages) { return placeOfPage(*pages, **page, lastShown); });
}

Result<int32_t> HostChain::pageCount() {
    return publication()
        .and_then([](const PublicationRef& pub) { return pub->pages(); })
        .and_then([](const PageCollectionRef& pages) { return pages->count(); });
}

Result<HostChain::SelectedText> HostChain::selection() {
    auto span = publication()
                    .and_then([](const PublicationRef& pub) { return pub->selection(); })
                    .and_then([](const PublicationSelectionRef& selection) { return selection->textSpan(); });
    if (!span) return span.error();
    auto text = (*span)->text();
    if (!text) return text.error();
    auto start = (*span)->start();
    if (!start && !isMissingMember(start.error())) return start.error();
    return SelectedText{std::move(*text), start ? std::optional<int32_t>(*start) : std::nullopt};
}

Status HostChain::write(const TextSpanRef& span, const std::u16string& text) {
    if (writeWatcher_) writeWatcher_->beforeWrite();
    return span->setText(text);
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
