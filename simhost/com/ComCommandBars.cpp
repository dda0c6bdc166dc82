#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComToolbarCollection final : public NamedObject<ComToolbarCollection> {
public:
    explicit ComToolbarCollection(ToolbarCollectionRef bars)
        : NamedObject(roles::kToolbarCollection, HostLibrary::Office), bars_(std::move(bars)) {}

    static std::span<const Member<ComToolbarCollection>> members() {
        static constexpr Member<ComToolbarCollection> kMembers[] = {
            {L"Item", kGet, 1, 1, &ComToolbarCollection::Item, /*isDefault=*/true},
            // Add(Name, Position, MenuBar, Temporary), all optional.
            {L"Add", kMethod, 0, 4, &ComToolbarCollection::Add},
        };
        return kMembers;
    }

    HRESULT Item(Invocation& call) {
        std::u16string name;
        if (HRESULT hr = call.text(0, &name); FAILED(hr)) return hr;
        return call.answer(bars_->item(name));
    }
    // The host gives a new bar its own defaults; the caller sets what it wants afterwards.
    HRESULT Add(Invocation& call) { return call.answer(bars_->add()); }

private:
    ToolbarCollectionRef bars_;
};

class ComToolbar final : public NamedObject<ComToolbar> {
public:
    explicit ComToolbar(ToolbarRef bar) : NamedObject(roles::kToolbar, HostLibrary::Office), bar_(std::move(bar)) {}

    static std::span<const Member<ComToolbar>> members() {
        static constexpr Member<ComToolbar> kMembers[] = {
            {L"Controls", kGet, 0, 0, &ComToolbar::Controls},
            {L"Delete", kMethod, 0, 0, &ComToolbar::Delete},
            {L"Enabled", kPut, 0, 0, &ComToolbar::SetEnabled},
            {L"Name", kPut, 0, 0, &ComToolbar::SetName},
            {L"Visible", kPut, 0, 0, &ComToolbar::SetVisible},
        };
        return kMembers;
    }

    HRESULT Controls(Invocation& call) { return call.answer(bar_->controls()); }
    HRESULT Delete(Invocation& call) { return call.answer(bar_->remove()); }
    HRESULT SetEnabled(Invocation& call) {
        bool enabled = false;
        if (HRESULT hr = call.boolean(0, &enabled); FAILED(hr)) return hr;
        return call.answer(bar_->setEnabled(enabled));
    }
    HRESULT SetName(Invocation& call) {
        std::u16string name;
        if (HRESULT hr = call.text(0, &name); FAILED(hr)) return hr;
        return call.answer(bar_->setName(name));
    }
    HRESULT SetVisible(Invocation& call) {
        bool visible = false;
        if (HRESULT hr = call.boolean(0, &visible); FAILED(hr)) return hr;
        return call.answer(bar_->setVisible(visible));
    }

private:
    ToolbarRef bar_;
};

class ComToolbarControls final : public NamedObject<ComToolbarControls> {
public:
    explicit ComToolbarControls(ToolbarControlsRef controls)
        : NamedObject(roles::kToolbarControls, HostLibrary::Office), controls_(std::move(controls)) {}

    static std::span<const Member<ComToolbarControls>> members() {
        static constexpr Member<ComToolbarControls> kMembers[] = {
            {L"Item", kGet, 1, 1, &ComToolbarControls::Item, /*isDefault=*/true},
            // Add(Type, Id, Parameter, Before, Temporary), all optional.
            {L"Add", kMethod, 0, 5, &ComToolbarControls::Add},
        };
        return kMembers;
    }

    HRESULT Item(Invocation& call) {
        std::u16string caption;
        if (HRESULT hr = call.text(0, &caption); FAILED(hr)) return hr;
        return call.answer(controls_->item(caption));
    }
    // Only the type matters to the host (1, a plain button, when left out);
    // Id, Parameter, Before and Temporary take its defaults.
    HRESULT Add(Invocation& call) {
        int32_t type = 1;
        if (call.given(0)) {
            if (HRESULT hr = call.number(0, &type); FAILED(hr)) return hr;
        }
        return call.answer(controls_->add(type));
    }

private:
    ToolbarControlsRef controls_;
};

}  // namespace

HRESULT Wrap(ToolbarCollectionRef object, IDispatch** out) {
    return NewObject<ComToolbarCollection>(out, std::move(object));
}

HRESULT Wrap(ToolbarRef object, IDispatch** out) { return NewObject<ComToolbar>(out, std::move(object)); }

HRESULT Wrap(ToolbarControlsRef object, IDispatch** out) {
    return NewObject<ComToolbarControls>(out, std::move(object));
}

}  // namespace quillet::simhost::com
