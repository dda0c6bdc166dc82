#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

using ToolbarsObject = PlainObject<ToolbarCollection>;
using ToolbarObject = PlainObject<Toolbar>;
using ControlsObject = PlainObject<ToolbarControls>;

template <>
std::span<const Member<ToolbarsObject>> ToolbarsObject::members() {
    static constexpr Member<ToolbarsObject> kMembers[] = {
        {L"Item", kGet, 1, 1, &answeredBy<&ToolbarCollection::item>, /*isDefault=*/true},
        // Add(Name, Position, MenuBar, Temporary), all optional: the host
        // gives a new bar its own defaults, and the caller sets what it wants
        // afterwards.
        {L"Add", kMethod, 0, 4, &answeredBy<&ToolbarCollection::add>},
    };
    return kMembers;
}

template <>
std::span<const Member<ToolbarObject>> ToolbarObject::members() {
    static constexpr Member<ToolbarObject> kMembers[] = {
        {L"Controls", kGet, 0, 0, &answeredBy<&Toolbar::controls>},
        {L"Delete", kMethod, 0, 0, &answeredBy<&Toolbar::remove>},
        {L"Enabled", kPut, 0, 0, &answeredBy<&Toolbar::setEnabled>},
        {L"Name", kPut, 0, 0, &answeredBy<&Toolbar::setName>},
        {L"Visible", kPut, 0, 0, &answeredBy<&Toolbar::setVisible>},
    };
    return kMembers;
}

namespace {

/// Add(Type, Id, Parameter, Before, Temporary), all optional. Only the type
/// matters to the host (1, a plain button, when left out); Id, Parameter,
/// Before and Temporary take its defaults.
HRESULT addControl(ControlsObject& controls, HostCall& call) {
    int32_t type = 1;
    if (call.given(0)) {
        if (HRESULT hr = call.number(0, &type); FAILED(hr)) return hr;
    }
    return call.answer(controls.host().add(type));
}

}  // namespace

template <>
std::span<const Member<ControlsObject>> ControlsObject::members() {
    static constexpr Member<ControlsObject> kMembers[] = {
        {L"Item", kGet, 1, 1, &answeredBy<&ToolbarControls::item>, /*isDefault=*/true},
        {L"Add", kMethod, 0, 5, &addControl},
    };
    return kMembers;
}

HRESULT wrap(ToolbarCollectionRef object, IDispatch** out) {
    return newObject<ToolbarsObject>(out, std::move(object), roles::kToolbarCollection, HostLibrary::Office);
}

HRESULT wrap(ToolbarRef object, IDispatch** out) {
    return newObject<ToolbarObject>(out, std::move(object), roles::kToolbar, HostLibrary::Office);
}

HRESULT wrap(ToolbarControlsRef object, IDispatch** out) {
    return newObject<ControlsObject>(out, std::move(object), roles::kToolbarControls, HostLibrary::Office);
}

}  // namespace quillet::simhost::com
