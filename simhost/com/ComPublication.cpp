#include <map>

#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComPublication;

/// The publication objects alive now, by the host's publication object
/// behind each: as long as one lives, the host hands it out again for that
/// publication object, as a host hands out one object per open document.
std::map<const Publication*, ComPublication*>& livePublications() {
    static std::map<const Publication*, ComPublication*> live;
    return live;
}

class ComPublication final : public NamedObject<ComPublication> {
public:
    explicit ComPublication(PublicationRef publication)
        : NamedObject(roles::kPublication, HostLibrary::Publisher), publication_(std::move(publication)) {
        livePublications()[publication_.get()] = this;
    }
    ~ComPublication() override { livePublications().erase(publication_.get()); }

    static std::span<const Member<ComPublication>> members() {
        static constexpr Member<ComPublication> kMembers[] = {
            {L"Pages", kGet, 0, 0, &answeredBy<&Publication::pages>},
            {L"Selection", kGet, 0, 0, &answeredBy<&Publication::selection>},
            {L"Stories", kGet, 0, 0, &answeredBy<&Publication::stories>},
            {L"ActiveView", kGet, 0, 0, &answeredBy<&Publication::view>},
            {L"BeginCustomUndoAction", kMethod, 1, 1, &answeredBy<&Publication::beginUndoGroup>, false,
             &HostCapabilities::undoGroups},
            {L"EndCustomUndoAction", kMethod, 0, 0, &answeredBy<&Publication::endUndoGroup>, false,
             &HostCapabilities::undoGroups},
        };
        return kMembers;
    }

    Publication& host() { return *publication_; }

private:
    PublicationRef publication_;
};

}  // namespace

using ViewObject = PlainObject<PublicationView>;
using SelectionObject = PlainObject<PublicationSelection>;

namespace {

/// Only a page that this host handed out can be displayed.
HRESULT setActivePage(ViewObject& view, HostCall& call) {
    ComPtr<IDispatch> value;
    if (HRESULT hr = call.object(0, &value); FAILED(hr)) return hr;
    const PageRef page = hostPageOf(value.get());
    if (!page) return call.fail({static_cast<int32_t>(E_INVALIDARG), u"The parameter is incorrect."});
    return call.answer(view.host().setPage(page));
}

}  // namespace

template <>
std::span<const Member<ViewObject>> ViewObject::members() {
    static constexpr Member<ViewObject> kMembers[] = {
        {L"ActivePage", kGet, 0, 0, &answeredBy<&PublicationView::page>},
        {L"ActivePage", kPageSetter, 0, 0, &setActivePage},
    };
    return kMembers;
}

template <>
std::span<const Member<SelectionObject>> SelectionObject::members() {
    static constexpr Member<SelectionObject> kMembers[] = {
        {L"TextRange", kGet, 0, 0, &answeredBy<&PublicationSelection::textSpan>},
    };
    return kMembers;
}

HRESULT wrap(PublicationRef object, IDispatch** out) {
    if (!out) return E_POINTER;
    // The host's publication object lives while a COM object over it does,
    // so its address names no other one meanwhile.
    if (const auto live = livePublications().find(object.get()); live != livePublications().end()) {
        *out = live->second->identity();
        (*out)->AddRef();
        return S_OK;
    }
    return newObject<ComPublication>(out, std::move(object));
}

HRESULT wrap(PublicationViewRef object, IDispatch** out) {
    return newObject<ViewObject>(out, std::move(object), roles::kPublicationView, HostLibrary::Publisher);
}

HRESULT wrap(PublicationSelectionRef object, IDispatch** out) {
    return newObject<SelectionObject>(out, std::move(object), roles::kPublicationSelection, HostLibrary::Publisher);
}

}  // namespace quillet::simhost::com
