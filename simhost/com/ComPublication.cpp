#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComPublication final : public DualObject<::Publication, HostLibrary::Publisher> {
public:
    explicit ComPublication(PublicationRef publication) : publication_(std::move(publication)) {}

    HRESULT STDMETHODCALLTYPE get_Pages(::PageCollection** result) override {
        return guard([&] { return answer(publication_->pages(), result); });
    }
    HRESULT STDMETHODCALLTYPE get_Selection(::PublicationSelection** result) override {
        return guard([&] { return answer(publication_->selection(), result); });
    }
    HRESULT STDMETHODCALLTYPE get_Stories(::StoryCollection** result) override {
        return guard([&] { return answer(publication_->stories(), result); });
    }
    HRESULT STDMETHODCALLTYPE get_ActiveView(::PublicationView** result) override {
        return guard([&] { return answer(publication_->view(), result); });
    }

private:
    PublicationRef publication_;
};

class ComPublicationView final : public DualObject<::PublicationView, HostLibrary::Publisher> {
public:
    explicit ComPublicationView(PublicationViewRef view) : view_(std::move(view)) {}

    HRESULT STDMETHODCALLTYPE get_ActivePage(::Page** result) override {
        return guard([&] { return answer(view_->page(), result); });
    }
    HRESULT STDMETHODCALLTYPE putref_ActivePage(::Page* value) override {
        return guard([&] {
            // Only a page that this host handed out can be displayed.
            const PageRef page = HostPageOf(value);
            if (!page) return fail(E_INVALIDARG);
            return answer(view_->setPage(page));
        });
    }

private:
    PublicationViewRef view_;
};

class ComPublicationSelection final : public DualObject<::PublicationSelection, HostLibrary::Publisher> {
public:
    explicit ComPublicationSelection(PublicationSelectionRef selection) : selection_(std::move(selection)) {}

    HRESULT STDMETHODCALLTYPE get_TextRange(::TextSpan** result) override {
        return guard([&] { return answer(selection_->textSpan(), result); });
    }

private:
    PublicationSelectionRef selection_;
};

}  // namespace

HRESULT Wrap(PublicationRef object, ::Publication** out) { return NewObject<ComPublication>(out, std::move(object)); }

HRESULT Wrap(PublicationViewRef object, ::PublicationView** out) {
    return NewObject<ComPublicationView>(out, std::move(object));
}

HRESULT Wrap(PublicationSelectionRef object, ::PublicationSelection** out) {
    return NewObject<ComPublicationSelection>(out, std::move(object));
}

}  // namespace quillet::simhost::com
