#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComToolbarCollection final : public DualObject<::ToolbarCollection, HostLibrary::Office> {
public:
    explicit ComToolbarCollection(ToolbarCollectionRef bars) : bars_(std::move(bars)) {}

    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ::Toolbar** result) override {
        return guard([&] {
            if (result) *result = nullptr;
            std::u16string name;
            if (const HRESULT hr = TextArgument(index, &name); FAILED(hr)) return fail(hr);
            return answer(bars_->item(name), result);
        });
    }
    // The host gives a new bar its own defaults; the caller sets what it wants afterwards.
    HRESULT STDMETHODCALLTYPE Add(VARIANT, VARIANT, VARIANT, VARIANT, ::Toolbar** result) override {
        return guard([&] { return answer(bars_->add(), result); });
    }

private:
    ToolbarCollectionRef bars_;
};

class ComToolbar final : public DualObject<::Toolbar, HostLibrary::Office> {
public:
    explicit ComToolbar(ToolbarRef bar) : bar_(std::move(bar)) {}

    HRESULT STDMETHODCALLTYPE get_Controls(::ToolbarControls** result) override {
        return guard([&] { return answer(bar_->controls(), result); });
    }
    HRESULT STDMETHODCALLTYPE Delete() override {
        return guard([&] { return answer(bar_->remove()); });
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
        return guard([&] { return answer(bar_->setEnabled(value != VARIANT_FALSE)); });
    }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override {
        return guard([&] { return answer(bar_->setName(TextOf(value))); });
    }
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL value) override {
        return guard([&] { return answer(bar_->setVisible(value != VARIANT_FALSE)); });
    }

private:
    ToolbarRef bar_;
};

class ComToolbarControls final : public DualObject<::ToolbarControls, HostLibrary::Office> {
public:
    explicit ComToolbarControls(ToolbarControlsRef controls) : controls_(std::move(controls)) {}

    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ::ToolbarControl** result) override {
        return guard([&] {
            if (result) *result = nullptr;
            std::u16string caption;
            if (const HRESULT hr = TextArgument(index, &caption); FAILED(hr)) return fail(hr);
            return answer(controls_->item(caption), result);
        });
    }
    // Only the type matters to the host; Id, Parameter, Before and Temporary take its defaults.
    HRESULT STDMETHODCALLTYPE Add(VARIANT type, VARIANT, VARIANT, VARIANT, VARIANT,
                                  ::ToolbarControl** result) override {
        return guard([&] {
            if (result) *result = nullptr;
            int32_t controlType = 0;
            if (const HRESULT hr = ControlTypeArgument(type, &controlType); FAILED(hr)) return fail(hr);
            return answer(controls_->add(controlType), result);
        });
    }

private:
    ToolbarControlsRef controls_;
};

}  // namespace

HRESULT Wrap(ToolbarCollectionRef object, ::ToolbarCollection** out) {
    return NewObject<ComToolbarCollection>(out, std::move(object));
}

HRESULT Wrap(ToolbarRef object, ::Toolbar** out) { return NewObject<ComToolbar>(out, std::move(object)); }

HRESULT Wrap(ToolbarControlsRef object, ::ToolbarControls** out) {
    return NewObject<ComToolbarControls>(out, std::move(object));
}

}  // namespace quillet::simhost::com
