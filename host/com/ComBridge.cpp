#include "host/com/ComBridge.h"

#include <olectl.h>

#include <map>

#include "platform/win32/Bstr.h"
#include "platform/win32/ComObject.h"
#include "platform/win32/ComPtr.h"

namespace quillet::com {

using win32::Bstr;
using win32::ComPtr;

RaisedError failureOf(HRESULT hr) {
    RaisedError failure{static_cast<int32_t>(hr), {}};
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) == S_OK && info) {
        Bstr description;
        if (SUCCEEDED(info->GetDescription(description.out()))) failure.description = description.text();
    }
    if (failure.description.empty()) {
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        failure.description.assign(reinterpret_cast<const char16_t*>(text), length);
        LocalFree(text);
        while (!failure.description.empty() &&
               (failure.description.back() == u'\n' || failure.description.back() == u'\r'))
            failure.description.pop_back();
        if (failure.description.empty()) failure.description = u"Automation error";
    }
    return failure;
}

namespace {

Status statusOf(HRESULT hr) {
    if (FAILED(hr)) return failureOf(hr);
    return {};
}

/// The result of a COM getter that hands out an interface through its out
/// parameter: the failure, an empty reference as a call through it, or the
/// object bridged by `Bridge`.
template <typename Bridge, typename Com, typename Call>
Result<std::shared_ptr<typename Bridge::Interface>> objectOf(Call call) {
    ComPtr<Com> object;
    if (HRESULT hr = call(object.out()); FAILED(hr)) return failureOf(hr);
    if (!object) return errors::objectNotSet();
    return std::shared_ptr<typename Bridge::Interface>(std::make_shared<Bridge>(std::move(object)));
}

/// The result of a COM getter that hands out a text.
template <typename Call>
Result<std::u16string> textOf(Call call) {
    Bstr text;
    if (HRESULT hr = call(text.out()); FAILED(hr)) return failureOf(hr);
    return text.text();
}

/// A text passed as a VARIANT, for as long as the call takes.
class TextVariant {
public:
    explicit TextVariant(const std::u16string& text) {
        VariantInit(&value_);
        value_.vt = VT_BSTR;
        value_.bstrVal = Bstr(text).detach();
    }
    TextVariant(const TextVariant&) = delete;
    TextVariant& operator=(const TextVariant&) = delete;
    ~TextVariant() { VariantClear(&value_); }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

VARIANT missing() {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_ERROR;
    value.scode = DISP_E_PARAMNOTFOUND;
    return value;
}

VARIANT_BOOL boolOf(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

class BridgedPage : public Page {
public:
    using Interface = Page;
    explicit BridgedPage(ComPtr<::Page> page) : page_(std::move(page)) {}
    Result<std::u16string> number() override {
        return textOf([&](BSTR* raw) { return page_->get_PageNumber(raw); });
    }
    ::Page* com() const { return page_.get(); }

private:
    ComPtr<::Page> page_;
};

class BridgedPages : public PageCollection {
public:
    using Interface = PageCollection;
    explicit BridgedPages(ComPtr<::PageCollection> pages) : pages_(std::move(pages)) {}
    Result<PageRef> item(int32_t index) override {
        return objectOf<BridgedPage, ::Page>([&](::Page** raw) { return pages_->Item(index, raw); });
    }
    Result<int32_t> count() override {
        long value = 0;
        if (HRESULT hr = pages_->get_Count(&value); FAILED(hr)) return failureOf(hr);
        return static_cast<int32_t>(value);
    }

private:
    ComPtr<::PageCollection> pages_;
};

class BridgedView : public PublicationView {
public:
    using Interface = PublicationView;
    explicit BridgedView(ComPtr<::PublicationView> view) : view_(std::move(view)) {}
    Result<PageRef> page() override {
        return objectOf<BridgedPage, ::Page>([&](::Page** raw) { return view_->get_ActivePage(raw); });
    }
    Status setPage(const PageRef& page) override {
        auto* bridged = dynamic_cast<BridgedPage*>(page.get());
        return statusOf(view_->putref_ActivePage(bridged ? bridged->com() : nullptr));
    }

private:
    ComPtr<::PublicationView> view_;
};

class BridgedSpan : public TextSpan {
public:
    using Interface = TextSpan;
    explicit BridgedSpan(ComPtr<::TextSpan> span) : span_(std::move(span)) {}
    Result<std::u16string> text() override {
        return textOf([&](BSTR* raw) { return span_->get_Text(raw); });
    }
    Status setText(const std::u16string& text) override { return statusOf(span_->put_Text(Bstr(text).get())); }
    Result<TextSpanRef> span(int32_t start, int32_t length) override {
        return objectOf<BridgedSpan, ::TextSpan>([&](::TextSpan** raw) { return span_->Characters(start, length, raw); });
    }
    Status select() override { return statusOf(span_->Select()); }

private:
    ComPtr<::TextSpan> span_;
};

class BridgedStory : public Story {
public:
    using Interface = Story;
    explicit BridgedStory(ComPtr<::Story> story) : story_(std::move(story)) {}
    Result<TextSpanRef> textSpan() override {
        return objectOf<BridgedSpan, ::TextSpan>([&](::TextSpan** raw) { return story_->get_TextRange(raw); });
    }

private:
    ComPtr<::Story> story_;
};

class BridgedStories : public StoryCollection {
public:
    using Interface = StoryCollection;
    explicit BridgedStories(ComPtr<::StoryCollection> stories) : stories_(std::move(stories)) {}
    Result<StoryRef> item(int32_t index) override {
        return objectOf<BridgedStory, ::Story>([&](::Story** raw) { return stories_->Item(index, raw); });
    }
    Result<int32_t> count() override {
        long value = 0;
        if (HRESULT hr = stories_->get_Count(&value); FAILED(hr)) return failureOf(hr);
        return static_cast<int32_t>(value);
    }

private:
    ComPtr<::StoryCollection> stories_;
};

class BridgedSelection : public PublicationSelection {
public:
    using Interface = PublicationSelection;
    explicit BridgedSelection(ComPtr<::PublicationSelection> selection) : selection_(std::move(selection)) {}
    Result<TextSpanRef> textSpan() override {
        return objectOf<BridgedSpan, ::TextSpan>([&](::TextSpan** raw) { return selection_->get_TextRange(raw); });
    }

private:
    ComPtr<::PublicationSelection> selection_;
};

class BridgedPublication : public Publication {
public:
    using Interface = Publication;
    explicit BridgedPublication(ComPtr<::Publication> publication) : publication_(std::move(publication)) {}
    Result<PageCollectionRef> pages() override {
        return objectOf<BridgedPages, ::PageCollection>([&](::PageCollection** raw) { return publication_->get_Pages(raw); });
    }
    Result<PublicationSelectionRef> selection() override {
        return objectOf<BridgedSelection, ::PublicationSelection>([&](::PublicationSelection** raw) { return publication_->get_Selection(raw); });
    }
    Result<StoryCollectionRef> stories() override {
        return objectOf<BridgedStories, ::StoryCollection>([&](::StoryCollection** raw) { return publication_->get_Stories(raw); });
    }
    Result<PublicationViewRef> view() override {
        return objectOf<BridgedView, ::PublicationView>([&](::PublicationView** raw) { return publication_->get_ActiveView(raw); });
    }

private:
    ComPtr<::Publication> publication_;
};

/// Delivers a button's Click, raised through its connection point, to a sink.
class ClickEvents final : public win32::ComObject<IDispatch, IID_IDispatch, DIID_ToolbarButtonEvents> {
public:
    explicit ClickEvents(ButtonClickSink& sink) : sink_(sink) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    /// Click(Ctrl, CancelDefault): the arguments arrive in reverse order.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (member != 1) return DISP_E_MEMBERNOTFOUND;
        if (params == nullptr || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
        const VARIANT& cancel = params->rgvarg[0];
        const VARIANT& ctrl = params->rgvarg[1];
        if (cancel.vt != (VT_BOOL | VT_BYREF) || (ctrl.vt != VT_DISPATCH && ctrl.vt != VT_UNKNOWN))
            return DISP_E_TYPEMISMATCH;
        ComPtr<::ToolbarButton> button;
        if (ctrl.punkVal) ctrl.punkVal->QueryInterface(IID_ToolbarButton, reinterpret_cast<void**>(button.out()));
        bool cancelDefault = *cancel.pboolVal != VARIANT_FALSE;
        sink_.Click(button ? bridgeButton(button.get()) : nullptr, cancelDefault);
        *cancel.pboolVal = boolOf(cancelDefault);
        return S_OK;
    }

private:
    ButtonClickSink& sink_;
};

class BridgedControl : public ToolbarButton {
public:
    using Interface = ToolbarControl;
    explicit BridgedControl(ComPtr<::ToolbarControl> control) : control_(std::move(control)) {}

    Status setCaption(const std::u16string& caption) override {
        return statusOf(control_->put_Caption(Bstr(caption).get()));
    }
    Status setEnabled(bool enabled) override { return statusOf(control_->put_Enabled(boolOf(enabled))); }
    Status setVisible(bool visible) override { return statusOf(control_->put_Visible(boolOf(visible))); }
    Result<ToolbarButtonRef> asButton() override {
        ComPtr<::ToolbarButton> button;
        if (HRESULT hr = control_->QueryInterface(IID_ToolbarButton, reinterpret_cast<void**>(button.out())); FAILED(hr))
            return failureOf(hr);
        return bridgeButton(button.get());
    }

    Status setIcon(int32_t faceId) override {
        auto button = control_.query<::ToolbarButton>(IID_ToolbarButton);
        if (!button) return failureOf(E_NOINTERFACE);
        return statusOf(button->put_FaceId(faceId));
    }

    Result<uint32_t> subscribe(ButtonClickSink& sink) override {
        auto container = control_.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
        if (!container) return failureOf(E_NOINTERFACE);
        ComPtr<IConnectionPoint> point;
        if (HRESULT hr = container->FindConnectionPoint(DIID_ToolbarButtonEvents, point.out()); FAILED(hr))
            return failureOf(hr);
        auto events = ComPtr<IDispatch>::adopt(new (std::nothrow) ClickEvents(sink));
        if (!events) return failureOf(E_OUTOFMEMORY);
        DWORD cookie = 0;
        if (HRESULT hr = point->Advise(events.get(), &cookie); FAILED(hr)) return failureOf(hr);
        points_.emplace(cookie, std::move(point));
        return static_cast<uint32_t>(cookie);
    }

    Status unsubscribe(uint32_t cookie) override {
        auto found = points_.find(cookie);
        if (found == points_.end()) return failureOf(CONNECT_E_NOCONNECTION);
        const HRESULT hr = found->second->Unadvise(cookie);
        points_.erase(found);
        return statusOf(hr);
    }

    ::ToolbarButton* comButton() const {
        return control_.query<::ToolbarButton>(IID_ToolbarButton).get();
    }
    const ComPtr<::ToolbarControl>& com() const { return control_; }

private:
    ComPtr<::ToolbarControl> control_;
    std::map<uint32_t, ComPtr<IConnectionPoint>> points_;
};

class BridgedControls : public ToolbarControls {
public:
    using Interface = ToolbarControls;
    explicit BridgedControls(ComPtr<::ToolbarControls> controls) : controls_(std::move(controls)) {}
    Result<ToolbarControlRef> add(int32_t type) override {
        VARIANT kind;
        VariantInit(&kind);
        kind.vt = VT_I4;
        kind.lVal = type;
        return objectOf<BridgedControl, ::ToolbarControl>([&](::ToolbarControl** raw) { return controls_->Add(kind, missing(), missing(), missing(), missing(), raw); });
    }
    Result<ToolbarControlRef> item(const std::u16string& caption) override {
        const TextVariant key(caption);
        return objectOf<BridgedControl, ::ToolbarControl>([&](::ToolbarControl** raw) { return controls_->get_Item(key.get(), raw); });
    }

private:
    ComPtr<::ToolbarControls> controls_;
};

class BridgedToolbar : public Toolbar {
public:
    using Interface = Toolbar;
    explicit BridgedToolbar(ComPtr<::Toolbar> toolbar) : toolbar_(std::move(toolbar)) {}
    Result<ToolbarControlsRef> controls() override {
        return objectOf<BridgedControls, ::ToolbarControls>([&](::ToolbarControls** raw) { return toolbar_->get_Controls(raw); });
    }
    Status remove() override { return statusOf(toolbar_->Delete()); }
    Status setEnabled(bool enabled) override { return statusOf(toolbar_->put_Enabled(boolOf(enabled))); }
    Status setName(const std::u16string& name) override { return statusOf(toolbar_->put_Name(Bstr(name).get())); }
    Status setVisible(bool visible) override { return statusOf(toolbar_->put_Visible(boolOf(visible))); }

private:
    ComPtr<::Toolbar> toolbar_;
};

class BridgedToolbars : public ToolbarCollection {
public:
    using Interface = ToolbarCollection;
    explicit BridgedToolbars(ComPtr<::ToolbarCollection> toolbars) : toolbars_(std::move(toolbars)) {}
    Result<ToolbarRef> item(const std::u16string& name) override {
        const TextVariant key(name);
        return objectOf<BridgedToolbar, ::Toolbar>([&](::Toolbar** raw) { return toolbars_->get_Item(key.get(), raw); });
    }
    Result<ToolbarRef> add() override {
        return objectOf<BridgedToolbar, ::Toolbar>([&](::Toolbar** raw) { return toolbars_->Add(missing(), missing(), missing(), missing(), raw); });
    }

private:
    ComPtr<::ToolbarCollection> toolbars_;
};

class BridgedApplication : public Application {
public:
    using Interface = Application;
    explicit BridgedApplication(ComPtr<::Application> application) : application_(std::move(application)) {}
    Result<PublicationRef> publication() override {
        return objectOf<BridgedPublication, ::Publication>([&](::Publication** raw) { return application_->get_ActivePublication(raw); });
    }
    Result<ToolbarCollectionRef> toolbars() override {
        return objectOf<BridgedToolbars, ::ToolbarCollection>([&](::ToolbarCollection** raw) { return application_->get_CommandBars(raw); });
    }
    ::Application* com() const { return application_.get(); }

private:
    ComPtr<::Application> application_;
};

}  // namespace

ApplicationRef bridgeApplication(::Application* application) {
    if (!application) return nullptr;
    return std::make_shared<BridgedApplication>(ComPtr<::Application>::share(application));
}

ToolbarButtonRef bridgeButton(::ToolbarButton* button) {
    if (!button) return nullptr;
    return std::make_shared<BridgedControl>(ComPtr<::ToolbarControl>::share(button));
}

::Application* comApplication(const ApplicationRef& application) {
    auto* bridged = dynamic_cast<BridgedApplication*>(application.get());
    return bridged ? bridged->com() : nullptr;
}

::ToolbarButton* comButton(const ToolbarButtonRef& button) {
    auto* bridged = dynamic_cast<BridgedControl*>(button.get());
    return bridged ? bridged->comButton() : nullptr;
}

}  // namespace quillet::com
