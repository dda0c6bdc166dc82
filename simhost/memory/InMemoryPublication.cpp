#include "simhost/memory/InMemoryPublication.h"

#include <algorithm>
#include <variant>

namespace quillet::simhost {

namespace {

RaisedError invalidArgument() { return {hresults::kInvalidArgument, u"The parameter is incorrect."}; }
RaisedError notOnDisplayedPage() { return {hresults::kNotOnDisplayedPage, u"The text is not on the displayed page."}; }
RaisedError nothingSelected() { return {hresults::kUnspecified, u"Unspecified error"}; }
RaisedError noUndoGroup() { return {hresults::kUnspecified, u"No custom undo action was begun."}; }

using PublicationState = std::shared_ptr<InMemoryPublication>;

}  // namespace

/// A page as the host hands it out: a new object at every call, as a host
/// may do (the COM front wraps each call's page in a new COM object anyway),
/// so that no two calls give the same object.
class MemPage : public Page {
public:
    MemPage(PublicationState pub, int32_t index) : pub_(std::move(pub)), index_(index) {}

    Result<std::u16string> number() override {
        if (auto gate = pub_->context_->gate("Page.number"); !gate) return gate.error();
        if (!pub_->hasPage(index_)) return invalidArgument();
        return pub_->model_.pageNumbers[index_ - 1];
    }

    Result<int32_t> index() override {
        if (auto gate = pub_->context_->gate("Page.index", &HostCapabilities::pageIndex); !gate) return gate.error();
        if (!pub_->hasPage(index_)) return invalidArgument();
        return index_;
    }

    Result<ShapeCollectionRef> shapes() override;

    bool isSameObject(const Page& other) const override { return &other == this; }

    int32_t modelIndex() const { return index_; }
    const InMemoryPublication* owner() const { return pub_.get(); }

private:
    PublicationState pub_;
    int32_t index_;
};

class MemPageCollection : public PageCollection {
public:
    explicit MemPageCollection(PublicationState pub) : pub_(std::move(pub)) {}

    Result<PageRef> item(int32_t index) override {
        if (auto gate = pub_->context_->gate("PageCollection.item"); !gate) return gate.error();
        if (!pub_->hasPage(index)) return invalidArgument();
        return std::make_shared<MemPage>(pub_, index);
    }

    Result<int32_t> count() override {
        if (auto gate = pub_->context_->gate("PageCollection.count"); !gate) return gate.error();
        return static_cast<int32_t>(pub_->model_.pageNumbers.size());
    }

private:
    PublicationState pub_;
};

class MemView : public PublicationView {
public:
    explicit MemView(PublicationState pub) : pub_(std::move(pub)) {}

    Result<PageRef> page() override {
        if (auto gate = pub_->context_->gate("PublicationView.page"); !gate) return gate.error();
        return std::make_shared<MemPage>(pub_, pub_->model_.displayedPage);
    }

    Status setPage(const PageRef& page) override {
        if (auto gate = pub_->context_->gate("PublicationView.setPage"); !gate) return gate;
        auto* ours = dynamic_cast<MemPage*>(page.get());
        if (ours == nullptr || ours->owner() != pub_.get() || !pub_->hasPage(ours->modelIndex()))
            return invalidArgument();
        pub_->model_.displayedPage = ours->modelIndex();
        pub_->context_->changedOnScreen();
        pub_->context_->events->viewSet(ours->modelIndex());
        return {};
    }

private:
    PublicationState pub_;
};

/// A span of one story, from a 1-based start. Spans are snapshots of a range:
/// when the story has changed since, the range is clamped to the text.
class MemTextSpan : public TextSpan {
public:
    MemTextSpan(PublicationState pub, int32_t story, int32_t start, int32_t length, bool isSelection)
        : pub_(std::move(pub)), story_(story), start_(start), length_(length), isSelection_(isSelection) {}

    Result<std::u16string> text() override {
        if (auto gate = pub_->context_->gate("TextSpan.text"); !gate) return gate.error();
        if (!pub_->hasStory(story_)) return invalidArgument();
        auto [offset, length] = clamped();
        return storyText().substr(offset, length);
    }

    Status setText(const std::u16string& text) override {
        if (auto gate = pub_->context_->gate("TextSpan.setText"); !gate) return gate;
        if (!pub_->hasStory(story_)) return invalidArgument();
        auto [offset, length] = clamped();
        std::u16string& story = storyText();
        std::u16string old = story.substr(offset, length);
        story.replace(offset, length, text);
        const SelectionModel replaced{story_, static_cast<int32_t>(offset + 1), static_cast<int32_t>(length)};
        // The span then covers what was written, as the selection does: reading it back gives the new text.
        start_ = replaced.start;
        length_ = static_cast<int32_t>(text.size());
        pub_->keepSelectionAfterWrite(replaced, length_, isSelection_);
        pub_->history_.record(changes::TextReplaced{story_, offset, old, text.size()});
        pub_->context_->changedOnScreen();
        pub_->context_->events->written(story_, replaced.start, replaced.length, old, text);
        return {};
    }

    Result<TextSpanRef> span(int32_t start, int32_t length) override {
        if (auto gate = pub_->context_->gate("TextSpan.span"); !gate) return gate.error();
        if (start < 1 || length < 0 || start > length_ + 1) return invalidArgument();
        length = std::min(length, length_ - start + 1);
        return std::make_shared<MemTextSpan>(pub_, story_, start_ + start - 1, length, false);
    }

    Result<int32_t> start() override {
        if (auto gate = pub_->context_->gate("TextSpan.start"); !gate) return gate.error();
        if (!pub_->hasStory(story_)) return invalidArgument();
        return static_cast<int32_t>(clamped().first);
    }

    Result<StoryRef> story() override;

    Status select() override {
        if (auto gate = pub_->context_->gate("TextSpan.select"); !gate) return gate;
        if (!pub_->hasStory(story_)) return invalidArgument();
        auto [offset, length] = clamped();
        const auto start = static_cast<int32_t>(offset + 1);
        const auto spanLength = static_cast<int32_t>(length);
        if (pub_->pageOf(story_, start) != pub_->model_.displayedPage) {
            pub_->context_->events->refused(story_, start, spanLength);
            return notOnDisplayedPage();
        }
        pub_->model_.selection = SelectionModel{story_, start, spanLength};
        pub_->context_->changedOnScreen();
        pub_->context_->events->selected(story_, start, spanLength, storyText().substr(offset, length));
        return {};
    }

private:
    std::u16string& storyText() { return pub_->model_.stories[story_ - 1].text; }

    /// The 0-based offset and the length of the range, within the current text.
    std::pair<size_t, size_t> clamped() {
        const size_t size = storyText().size();
        const size_t offset = std::min<size_t>(static_cast<size_t>(std::max(start_, 1) - 1), size);
        return {offset, std::min<size_t>(static_cast<size_t>(std::max(length_, 0)), size - offset)};
    }

    PublicationState pub_;
    int32_t story_;
    int32_t start_;
    int32_t length_;
    bool isSelection_;
};

class MemTextFrame : public TextFrame {
public:
    MemTextFrame(PublicationState pub, InMemoryPublication::FramePlace place) : pub_(std::move(pub)), place_(place) {}

    /// A span like any other of the story, over what the frame shows now.
    Result<TextSpanRef> textRange() override {
        if (auto gate = pub_->context_->gate("TextFrame.textRange", &HostCapabilities::pageShapes); !gate)
            return gate.error();
        if (!pub_->hasFrame(place_)) return invalidArgument();
        const auto [offset, length] = pub_->frameText(place_);
        return std::make_shared<MemTextSpan>(pub_, place_.story, static_cast<int32_t>(offset + 1),
                                             static_cast<int32_t>(length), false);
    }

private:
    PublicationState pub_;
    InMemoryPublication::FramePlace place_;
};

/// A text box: the only kind of shape that the stand-in host has, so every
/// one holds a text frame.
class MemShape : public Shape {
public:
    MemShape(PublicationState pub, InMemoryPublication::FramePlace place) : pub_(std::move(pub)), place_(place) {}

    Result<bool> hasTextFrame() override {
        if (auto gate = pub_->context_->gate("Shape.hasTextFrame", &HostCapabilities::pageShapes); !gate)
            return gate.error();
        if (!pub_->hasFrame(place_)) return invalidArgument();
        return true;
    }

    Result<TextFrameRef> textFrame() override {
        if (auto gate = pub_->context_->gate("Shape.textFrame", &HostCapabilities::pageShapes); !gate)
            return gate.error();
        if (!pub_->hasFrame(place_)) return invalidArgument();
        return std::make_shared<MemTextFrame>(pub_, place_);
    }

private:
    PublicationState pub_;
    InMemoryPublication::FramePlace place_;
};

/// The shapes of one page, read from the stories at every call, so that a
/// collection taken before the user added or deleted a text box counts it as
/// the page holds it now.
class MemShapeCollection : public ShapeCollection {
public:
    MemShapeCollection(PublicationState pub, int32_t page) : pub_(std::move(pub)), page_(page) {}

    Result<int32_t> count() override {
        if (auto gate = pub_->context_->gate("ShapeCollection.count", &HostCapabilities::pageShapes); !gate)
            return gate.error();
        return static_cast<int32_t>(pub_->framesOn(page_).size());
    }

    Result<ShapeRef> item(int32_t index) override {
        if (auto gate = pub_->context_->gate("ShapeCollection.item", &HostCapabilities::pageShapes); !gate)
            return gate.error();
        const auto frames = pub_->framesOn(page_);
        if (index < 1 || static_cast<size_t>(index) > frames.size()) return invalidArgument();
        return std::make_shared<MemShape>(pub_, frames[index - 1]);
    }

private:
    PublicationState pub_;
    int32_t page_;
};

Result<ShapeCollectionRef> MemPage::shapes() {
    if (auto gate = pub_->context_->gate("Page.shapes", &HostCapabilities::pageShapes); !gate) return gate.error();
    if (!pub_->hasPage(index_)) return invalidArgument();
    return std::make_shared<MemShapeCollection>(pub_, index_);
}

class MemStory : public Story {
public:
    MemStory(PublicationState pub, int32_t index) : pub_(std::move(pub)), index_(index) {}

    Result<TextSpanRef> textSpan() override {
        if (auto gate = pub_->context_->gate("Story.text"); !gate) return gate.error();
        if (!pub_->hasStory(index_)) return invalidArgument();
        const auto length = static_cast<int32_t>(pub_->model_.stories[index_ - 1].text.size());
        return std::make_shared<MemTextSpan>(pub_, index_, 1, length, false);
    }

private:
    PublicationState pub_;
    int32_t index_;
};

Result<StoryRef> MemTextSpan::story() {
    if (auto gate = pub_->context_->gate("TextSpan.story", &HostCapabilities::spanStory); !gate) return gate.error();
    if (!pub_->hasStory(story_)) return invalidArgument();
    return std::make_shared<MemStory>(pub_, story_);
}

class MemStoryCollection : public StoryCollection {
public:
    explicit MemStoryCollection(PublicationState pub) : pub_(std::move(pub)) {}

    Result<StoryRef> item(int32_t index) override {
        if (auto gate = pub_->context_->gate("StoryCollection.item"); !gate) return gate.error();
        if (!pub_->hasStory(index)) return invalidArgument();
        return std::make_shared<MemStory>(pub_, index);
    }

    Result<int32_t> count() override {
        if (auto gate = pub_->context_->gate("StoryCollection.count"); !gate) return gate.error();
        return static_cast<int32_t>(pub_->model_.stories.size());
    }

private:
    PublicationState pub_;
};

class MemSelection : public PublicationSelection {
public:
    explicit MemSelection(PublicationState pub) : pub_(std::move(pub)) {}

    Result<TextSpanRef> textSpan() override {
        if (auto gate = pub_->context_->gate("PublicationSelection.text"); !gate) return gate.error();
        const auto& selection = pub_->model_.selection;
        if (!selection) return nothingSelected();
        return std::make_shared<MemTextSpan>(pub_, selection->story, selection->start, selection->length, true);
    }

private:
    PublicationState pub_;
};

/// The publication object that the host hands out. It lives no longer than
/// its publication (InMemoryPublication::asPublication), so it holds the
/// publication by reference: the publication keeps one of these, and a
/// counted reference back would keep both alive for ever.
class MemPublication : public Publication {
public:
    explicit MemPublication(InMemoryPublication& pub) : pub_(pub) {}

    Result<PageCollectionRef> pages() override {
        if (auto gate = pub_.context_->gate("Publication.pages"); !gate) return gate.error();
        return std::make_shared<MemPageCollection>(pub_.shared_from_this());
    }
    Result<PublicationSelectionRef> selection() override {
        if (auto gate = pub_.context_->gate("Publication.selection"); !gate) return gate.error();
        return std::make_shared<MemSelection>(pub_.shared_from_this());
    }
    Result<StoryCollectionRef> stories() override {
        if (auto gate = pub_.context_->gate("Publication.stories"); !gate) return gate.error();
        return std::make_shared<MemStoryCollection>(pub_.shared_from_this());
    }
    Result<PublicationViewRef> view() override {
        if (auto gate = pub_.context_->gate("Publication.view"); !gate) return gate.error();
        return std::make_shared<MemView>(pub_.shared_from_this());
    }

    Status beginUndoGroup(const std::u16string& name) override {
        if (auto gate = pub_.context_->gate("Publication.beginUndo", &HostCapabilities::undoGroups); !gate)
            return gate;
        pub_.history_.beginGroup();
        pub_.context_->events->undoGroupBegun(name);
        return {};
    }

    Status endUndoGroup() override {
        if (auto gate = pub_.context_->gate("Publication.endUndo", &HostCapabilities::undoGroups); !gate)
            return gate;
        if (!pub_.history_.endGroup()) return noUndoGroup();
        pub_.context_->events->undoGroupEnded();
        return {};
    }

    bool isSameObject(const Publication& other) const override { return &other == this; }

private:
    InMemoryPublication& pub_;
};

InMemoryPublication::InMemoryPublication(PublicationModel model, std::shared_ptr<HostContext> context)
    : model_(std::move(model)), context_(std::move(context)), handedOut_(std::make_unique<MemPublication>(*this)) {
    clampSelection();
}

InMemoryPublication::~InMemoryPublication() = default;

PublicationRef InMemoryPublication::asPublication() {
    // Either reference shares the ownership of this publication, so that the
    // object lives as long as the add-in holds it, and no longer than the publication.
    if (context_->capabilities.samePublicationObject) return PublicationRef(shared_from_this(), handedOut_.get());
    struct Fresh {
        PublicationState owner;
        MemPublication object;
    };
    auto fresh = std::make_shared<Fresh>(shared_from_this(), MemPublication(*this));
    return PublicationRef(fresh, &fresh->object);
}

void InMemoryPublication::select(std::optional<SelectionModel> selection) {
    model_.selection = selection;
    clampSelection();
}

void InMemoryPublication::editStory(int32_t story, std::u16string text) {
    if (!hasStory(story)) return;
    replaceText(story, 0, model_.stories[story - 1].text.size(), text);
    clampSelection();
}

bool InMemoryPublication::typeInto(int32_t story, int32_t start, int32_t length, const std::u16string& text) {
    if (!hasStory(story)) return false;
    const size_t size = model_.stories[story - 1].text.size();
    const size_t offset = std::min(static_cast<size_t>(start - 1), size);
    replaceText(story, offset, std::min(static_cast<size_t>(length), size - offset), text);
    model_.selection = SelectionModel{story, static_cast<int32_t>(offset + text.size() + 1), 0};
    return true;
}

bool InMemoryPublication::deleteStory(int32_t story) {
    if (!hasStory(story)) return false;
    history_.record(changes::StoryRemoved{story, removeStory(story)});
    return true;
}

bool InMemoryPublication::insertStory(int32_t story, std::u16string text) {
    if (story < 1 || story > static_cast<int32_t>(model_.stories.size()) + 1) return false;
    addStory(story, StoryModel{std::move(text), {Frame{}}});
    return true;
}

bool InMemoryPublication::moveStory(int32_t story, int32_t to) {
    if (!hasStory(story) || !hasStory(to)) return false;
    StoryModel cut = model_.stories[story - 1];
    deleteStory(story);
    addStory(to, std::move(cut));
    return true;
}

void InMemoryPublication::addStory(int32_t place, StoryModel story) {
    placeStory(place, std::move(story));
    history_.record(changes::StoryAdded{place});
}

void InMemoryPublication::replaceText(int32_t story, size_t offset, size_t length, const std::u16string& text) {
    std::u16string& target = model_.stories[story - 1].text;
    history_.record(changes::TextReplaced{story, offset, target.substr(offset, length), text.size()});
    target.replace(offset, length, text);
}

StoryModel InMemoryPublication::removeStory(int32_t story) {
    StoryModel removed = std::move(model_.stories[story - 1]);
    model_.stories.erase(model_.stories.begin() + (story - 1));
    auto& selection = model_.selection;
    if (selection && selection->story == story) selection.reset();
    if (selection && selection->story > story) --selection->story;
    return removed;
}

void InMemoryPublication::placeStory(int32_t place, StoryModel story) {
    model_.stories.insert(model_.stories.begin() + (place - 1), std::move(story));
    if (model_.selection && model_.selection->story >= place) ++model_.selection->story;
}

void InMemoryPublication::keepSelectionAfterWrite(const SelectionModel& replaced, int32_t written,
                                                  bool throughSelection) {
    auto& selection = model_.selection;
    if (selection && (throughSelection || *selection == replaced)) {
        selection = SelectionModel{replaced.story, replaced.start, written};
    } else if (selection && selection->story == replaced.story) {
        if (selection->start >= replaced.start + replaced.length && selection->length + replaced.length > 0)
            selection->start += written - replaced.length;
        else if (selection->start + selection->length > replaced.start)
            selection.reset();
    }
    clampSelection();
}

void InMemoryPublication::displayPage(int32_t page) {
    if (hasPage(page)) model_.displayedPage = page;
}

bool InMemoryPublication::undo() {
    const auto step = history_.takeLatest();
    if (!step) return false;
    for (auto change = step->rbegin(); change != step->rend(); ++change) takeBack(*change);
    clampSelection();
    return true;
}

void InMemoryPublication::takeBack(const StoryChange& change) {
    struct Undoer {
        InMemoryPublication& publication;

        void operator()(const changes::TextReplaced& replaced) const {
            publication.model_.stories[replaced.story - 1].text.replace(replaced.offset, replaced.newLength,
                                                                         replaced.oldText);
        }
        void operator()(const changes::StoryRemoved& removed) const {
            publication.placeStory(removed.story, removed.removed);
        }
        void operator()(const changes::StoryAdded& added) const { publication.removeStory(added.story); }
    };
    std::visit(Undoer{*this}, change);
}

int32_t InMemoryPublication::pageOf(int32_t story, int32_t position) const {
    const auto& frames = model_.stories[story - 1].frames;
    int64_t offset = std::max(position, 1) - 1;
    for (size_t i = 0; i + 1 < frames.size(); ++i) {
        if (offset < frames[i].length) return frames[i].page;
        offset -= frames[i].length;
    }
    return frames.empty() ? 0 : frames.back().page;
}

std::vector<InMemoryPublication::FramePlace> InMemoryPublication::framesOn(int32_t page) const {
    std::vector<FramePlace> found;
    for (size_t story = 0; story < model_.stories.size(); ++story) {
        const auto& frames = model_.stories[story].frames;
        for (size_t frame = 0; frame < frames.size(); ++frame) {
            if (frames[frame].page == page) found.push_back({static_cast<int32_t>(story + 1), frame});
        }
    }
    return found;
}

std::pair<size_t, size_t> InMemoryPublication::frameText(const FramePlace& place) const {
    const StoryModel& story = model_.stories[place.story - 1];
    const size_t size = story.text.size();
    // As pageOf counts: each frame before the last holds its length.
    auto held = [&](size_t frame) { return static_cast<size_t>(std::max(story.frames[frame].length, 0)); };
    size_t offset = 0;
    for (size_t before = 0; before < place.frame; ++before) offset = std::min(size, offset + held(before));
    if (place.frame + 1 == story.frames.size()) return {offset, size - offset};
    return {offset, std::min(held(place.frame), size - offset)};
}

void InMemoryPublication::clampSelection() {
    auto& selection = model_.selection;
    if (!selection) return;
    if (!hasStory(selection->story)) {
        selection.reset();
        return;
    }
    const auto size = static_cast<int32_t>(model_.stories[selection->story - 1].text.size());
    selection->start = std::clamp(selection->start, 1, size + 1);
    selection->length = std::clamp(selection->length, 0, size + 1 - selection->start);
}

}  // namespace quillet::simhost
