#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

using PublicationObject = PlainObject<Publication>;
using ViewObject = PlainObject<PublicationView>;
using SelectionObject = PlainObject<PublicationSelection>;

template <>
std::span<const Member<PublicationObject>> PublicationObject::members() {
    static constexpr Member<PublicationObject> kMembers[] = {
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
    return newObject<PublicationObject>(out, std::move(object), roles::kPublication, HostLibrary::Publisher);
}

HRESULT wrap(PublicationViewRef object, IDispatch** out) {
    return newObject<ViewObject>(out, std::move(object), roles::kPublicationView, HostLibrary::Publisher);
}

HRESULT wrap(PublicationSelectionRef object, IDispatch** out) {
    return newObject<SelectionObject>(out, std::move(object), roles::kPublicationSelection, HostLibrary::Publisher);
}

}  // namespace quillet::simhost::com
