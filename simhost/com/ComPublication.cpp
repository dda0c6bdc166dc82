#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComPublication final : public NamedObject<ComPublication> {
public:
    explicit ComPublication(PublicationRef publication)
        : NamedObject(roles::kPublication, HostLibrary::Publisher), publication_(std::move(publication)) {}

    static std::span<const Member<ComPublication>> members() {
        static constexpr Member<ComPublication> kMembers[] = {
            {L"Pages", kGet, 0, 0, &ComPublication::Pages},
            {L"Selection", kGet, 0, 0, &ComPublication::Selection},
            {L"Stories", kGet, 0, 0, &ComPublication::Stories},
            {L"ActiveView", kGet, 0, 0, &ComPublication::ActiveView},
            {L"BeginCustomUndoAction", kMethod, 1, 1, &ComPublication::BeginCustomUndoAction, false,
             &HostCapabilities::undoGroups},
            {L"EndCustomUndoAction", kMethod, 0, 0, &ComPublication::EndCustomUndoAction, false,
             &HostCapabilities::undoGroups},
        };
        return kMembers;
    }

    HRESULT Pages(Invocation& call) { return call.answer(publication_->pages()); }
    HRESULT Selection(Invocation& call) { return call.answer(publication_->selection()); }
    HRESULT Stories(Invocation& call) { return call.answer(publication_->stories()); }
    HRESULT ActiveView(Invocation& call) { return call.answer(publication_->view()); }
    HRESULT BeginCustomUndoAction(Invocation& call) {
        std::u16string name;
        if (HRESULT hr = call.text(0, &name); FAILED(hr)) return hr;
        return call.answer(publication_->beginUndoGroup(name));
    }
    HRESULT EndCustomUndoAction(Invocation& call) { return call.answer(publication_->endUndoGroup()); }

private:
    PublicationRef publication_;
};

class ComPublicationView final : public NamedObject<ComPublicationView> {
public:
    explicit ComPublicationView(PublicationViewRef view)
        : NamedObject(roles::kPublicationView, HostLibrary::Publisher), view_(std::move(view)) {}

    static std::span<const Member<ComPublicationView>> members() {
        static constexpr Member<ComPublicationView> kMembers[] = {
            {L"ActivePage", kGet, 0, 0, &ComPublicationView::ActivePage},
            {L"ActivePage", kPageSetter, 0, 0, &ComPublicationView::SetActivePage},
        };
        return kMembers;
    }

    HRESULT ActivePage(Invocation& call) { return call.answer(view_->page()); }
    HRESULT SetActivePage(Invocation& call) {
        ComPtr<IDispatch> value;
        if (HRESULT hr = call.object(0, &value); FAILED(hr)) return hr;
        // Only a page that this host handed out can be displayed.
        const PageRef page = HostPageOf(value.get());
        if (!page) return call.fail({static_cast<int32_t>(E_INVALIDARG), u"The parameter is incorrect."});
        return call.answer(view_->setPage(page));
    }

private:
    PublicationViewRef view_;
};

class ComPublicationSelection final : public NamedObject<ComPublicationSelection> {
public:
    explicit ComPublicationSelection(PublicationSelectionRef selection)
        : NamedObject(roles::kPublicationSelection, HostLibrary::Publisher), selection_(std::move(selection)) {}

    static std::span<const Member<ComPublicationSelection>> members() {
        static constexpr Member<ComPublicationSelection> kMembers[] = {
            {L"TextRange", kGet, 0, 0, &ComPublicationSelection::TextRange},
        };
        return kMembers;
    }

    HRESULT TextRange(Invocation& call) { return call.answer(selection_->textSpan()); }

private:
    PublicationSelectionRef selection_;
};

}  // namespace

HRESULT Wrap(PublicationRef object, IDispatch** out) { return NewObject<ComPublication>(out, std::move(object)); }

HRESULT Wrap(PublicationViewRef object, IDispatch** out) {
    return NewObject<ComPublicationView>(out, std::move(object));
}

HRESULT Wrap(PublicationSelectionRef object, IDispatch** out) {
    return NewObject<ComPublicationSelection>(out, std::move(object));
}

}  // namespace quillet::simhost::com
