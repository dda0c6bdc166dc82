#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComTextSpan final : public DualObject<::TextSpan, HostLibrary::Publisher> {
public:
    explicit ComTextSpan(TextSpanRef span) : span_(std::move(span)) {}

    HRESULT STDMETHODCALLTYPE get_Text(BSTR* result) override {
        return guard([&] { return answer(span_->text(), result); });
    }
    HRESULT STDMETHODCALLTYPE put_Text(BSTR value) override {
        return guard([&] { return answer(span_->setText(TextOf(value))); });
    }
    HRESULT STDMETHODCALLTYPE Characters(LONG start, LONG length, ::TextSpan** result) override {
        return guard([&] { return answer(span_->span(start, length), result); });
    }
    HRESULT STDMETHODCALLTYPE Select() override {
        return guard([&] { return answer(span_->select()); });
    }

private:
    TextSpanRef span_;
};

class ComStory final : public DualObject<::Story, HostLibrary::Publisher> {
public:
    explicit ComStory(StoryRef story) : story_(std::move(story)) {}

    HRESULT STDMETHODCALLTYPE get_TextRange(::TextSpan** result) override {
        return guard([&] { return answer(story_->textSpan(), result); });
    }

private:
    StoryRef story_;
};

class ComStoryCollection final : public DualObject<::StoryCollection, HostLibrary::Publisher> {
public:
    explicit ComStoryCollection(StoryCollectionRef stories) : stories_(std::move(stories)) {}

    HRESULT STDMETHODCALLTYPE Item(LONG index, ::Story** result) override {
        return guard([&] { return answer(stories_->item(index), result); });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* result) override {
        return guard([&] { return answer(stories_->count(), result); });
    }

private:
    StoryCollectionRef stories_;
};

}  // namespace

HRESULT Wrap(TextSpanRef object, ::TextSpan** out) { return NewObject<ComTextSpan>(out, std::move(object)); }

HRESULT Wrap(StoryRef object, ::Story** out) { return NewObject<ComStory>(out, std::move(object)); }

HRESULT Wrap(StoryCollectionRef object, ::StoryCollection** out) {
    return NewObject<ComStoryCollection>(out, std::move(object));
}

}  // namespace quillet::simhost::com
