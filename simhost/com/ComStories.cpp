#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComTextSpan final : public NamedObject<ComTextSpan> {
public:
    explicit ComTextSpan(TextSpanRef span)
        : NamedObject(roles::kTextSpan, HostLibrary::Publisher), span_(std::move(span)) {}

    static std::span<const Member<ComTextSpan>> members() {
        static constexpr Member<ComTextSpan> kMembers[] = {
            {L"Text", kGet, 0, 0, &ComTextSpan::Text},
            {L"Text", kPut, 0, 0, &ComTextSpan::SetText},
            // Characters(Start, Length), both relative to the span and 1-based.
            {L"Characters", kMethod, 2, 2, &ComTextSpan::Characters},
            {L"Select", kMethod, 0, 0, &ComTextSpan::Select},
            {L"Start", kGet, 0, 0, &ComTextSpan::Start},
        };
        return kMembers;
    }

    HRESULT Text(Invocation& call) { return call.answer(span_->text()); }
    HRESULT SetText(Invocation& call) {
        std::u16string text;
        if (HRESULT hr = call.text(0, &text); FAILED(hr)) return hr;
        return call.answer(span_->setText(text));
    }
    HRESULT Characters(Invocation& call) {
        int32_t start = 0;
        int32_t length = 0;
        if (HRESULT hr = call.number(0, &start); FAILED(hr)) return hr;
        if (HRESULT hr = call.number(1, &length); FAILED(hr)) return hr;
        return call.answer(span_->span(start, length));
    }
    HRESULT Select(Invocation& call) { return call.answer(span_->select()); }
    HRESULT Start(Invocation& call) { return call.answer(span_->start()); }

private:
    TextSpanRef span_;
};

class ComStory final : public NamedObject<ComStory> {
public:
    explicit ComStory(StoryRef story) : NamedObject(roles::kStory, HostLibrary::Publisher), story_(std::move(story)) {}

    static std::span<const Member<ComStory>> members() {
        static constexpr Member<ComStory> kMembers[] = {
            {L"TextRange", kGet, 0, 0, &ComStory::TextRange},
        };
        return kMembers;
    }

    HRESULT TextRange(Invocation& call) { return call.answer(story_->textSpan()); }

private:
    StoryRef story_;
};

class ComStoryCollection final : public NamedObject<ComStoryCollection> {
public:
    explicit ComStoryCollection(StoryCollectionRef stories)
        : NamedObject(roles::kStoryCollection, HostLibrary::Publisher), stories_(std::move(stories)) {}

    static std::span<const Member<ComStoryCollection>> members() {
        static constexpr Member<ComStoryCollection> kMembers[] = {
            {L"Item", kCollectionItem, 1, 1, &ComStoryCollection::Item},
            {L"Count", kGet, 0, 0, &ComStoryCollection::Count},
        };
        return kMembers;
    }

    HRESULT Item(Invocation& call) {
        int32_t index = 0;
        if (HRESULT hr = call.number(0, &index); FAILED(hr)) return hr;
        return call.answer(stories_->item(index));
    }
    HRESULT Count(Invocation& call) { return call.answer(stories_->count()); }

private:
    StoryCollectionRef stories_;
};

}  // namespace

HRESULT Wrap(TextSpanRef object, IDispatch** out) { return NewObject<ComTextSpan>(out, std::move(object)); }

HRESULT Wrap(StoryRef object, IDispatch** out) { return NewObject<ComStory>(out, std::move(object)); }

HRESULT Wrap(StoryCollectionRef object, IDispatch** out) {
    return NewObject<ComStoryCollection>(out, std::move(object));
}

}  // namespace quillet::simhost::com
