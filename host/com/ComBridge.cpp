#include "host/com/ComBridge.h"

#include <olectl.h>

#include <map>
#include <new>

#include "host/com/LateBinding.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ComObject.h"
#include "platform/win32/DispatchMembers.h"
#include "platform/win32/Variant.h"
#include "platform/win32/VariantConversion.h"

namespace quillet::com {

using win32::ComPtr;
using win32::Variant;

namespace {

Status statusOf(const Result<Variant>& result) {
    if (!result) return result.error();
    return {};
}

/// An object result in `Bridge`'s role, bridged.
template <typename Bridge>
Result<std::shared_ptr<typename Bridge::Interface>> objectOf(const Result<Variant>& result) {
    auto object = asObject(result, Bridge::kRole);
    if (!object) return object.error();
    return std::shared_ptr<typename Bridge::Interface>(std::make_shared<Bridge>(std::move(*object)));
}

/// The COM object of a host object that the bridge made.
class Bridged {
public:
    explicit Bridged(ComPtr<IDispatch> object) : object_(std::move(object)) {}
    IDispatch* com() const { return object_.get(); }

protected:
    /// Whether `other` is a `Self` bridged over the same COM object as this
    /// one: COM identity, the IUnknown that each object answers.
    template <typename Self, typename Other>
    bool bridgesTheSameObject(const Other& other) const {
        const auto* bridged = dynamic_cast<const Self*>(&other);
        if (!bridged) return false;
        const ComPtr<IUnknown> mine = object_.query<IUnknown>(IID_IUnknown);
        const ComPtr<IUnknown> theirs = static_cast<const Bridged*>(bridged)->object_.query<IUnknown>(IID_IUnknown);
        return mine && mine.get() == theirs.get();
    }

    Result<Variant> get(const wchar_t* name) { return invoke(object_.get(), name, Call::Get); }
    Status put(const wchar_t* name, Variant value) {
        return statusOf(invoke(object_.get(), name, Call::Put, {std::move(value)}));
    }
    Status call(const wchar_t* name) { return statusOf(invoke(object_.get(), name, Call::Method)); }
    /// A collection's item at a 1-based index.
    Result<Variant> item(int32_t index) {
        return invoke(object_.get(), L"Item", Call::MethodOrGet, {Variant::number(index)});
    }
    /// A command-bar collection's item by its name or caption (its default member).
    Result<Variant> item(const std::u16string& key) {
        return invoke(object_.get(), L"Item", Call::Get, {Variant::text(key)});
    }

    ComPtr<IDispatch> object_;
};

/// A host object in `role`, bridged as the add-in's `Host` interface.
template <typename Host, const Role& role>
class BridgedAs : public Host, public Bridged {
public:
    using Interface = Host;
    static constexpr const Role& kRole = role;
    using Bridged::Bridged;
};

class BridgedPage : public BridgedAs<Page, roles::kPage> {
public:
    using BridgedAs::BridgedAs;
    Result<std::u16string> number() override { return asText(get(L"PageNumber")); }
    Result<int32_t> index() override { return asNumber(get(L"PageIndex")); }
    Result<ShapeCollectionRef> shapes() override;
    bool isSameObject(const Page& other) const override { return bridgesTheSameObject<BridgedPage>(other); }
};

/// A collection that the add-in counts and reads from 1, of `Item`s.
template <typename Collection, const Role& role, typename Item>
class BridgedCollection : public BridgedAs<Collection, role> {
public:
    using BridgedAs<Collection, role>::BridgedAs;
    Result<std::shared_ptr<typename Item::Interface>> item(int32_t index) override {
        return objectOf<Item>(this->Bridged::item(index));
    }
    Result<int32_t> count() override { return asNumber(this->get(L"Count")); }
};

class BridgedView : public BridgedAs<PublicationView, roles::kPublicationView> {
public:
    using BridgedAs::BridgedAs;
    Result<PageRef> page() override { return objectOf<BridgedPage>(get(L"ActivePage")); }
    Status setPage(const PageRef& page) override {
        auto* bridged = dynamic_cast<BridgedPage*>(page.get());
        return assign(object_.get(), L"ActivePage", Variant::object(bridged ? bridged->com() : nullptr));
    }
};

class BridgedSpan : public BridgedAs<TextSpan, roles::kTextSpan> {
public:
    using BridgedAs::BridgedAs;
    Result<std::u16string> text() override { return asText(get(L"Text")); }
    Status setText(const std::u16string& text) override { return put(L"Text", Variant::text(text)); }
    Result<TextSpanRef> span(int32_t start, int32_t length) override {
        return objectOf<BridgedSpan>(invoke(object_.get(), L"Characters", Call::MethodOrGet,
                                            {Variant::number(start), Variant::number(length)}));
    }
    Status select() override { return call(L"Select"); }
    Result<int32_t> start() override { return asNumber(get(L"Start")); }
    Result<StoryRef> story() override;
};

/// What gives its text as a span: a story, or the selection.
template <typename Holder, const Role& role>
class BridgedSpanHolder : public BridgedAs<Holder, role> {
public:
    using BridgedAs<Holder, role>::BridgedAs;
    Result<TextSpanRef> textSpan() override { return objectOf<BridgedSpan>(this->get(L"TextRange")); }
};

class BridgedTextFrame : public BridgedAs<TextFrame, roles::kTextFrame> {
public:
    using BridgedAs::BridgedAs;
    Result<TextSpanRef> textRange() override { return objectOf<BridgedSpan>(get(L"TextRange")); }
};

class BridgedShape : public BridgedAs<Shape, roles::kShape> {
public:
    using BridgedAs::BridgedAs;
    /// An msoTriState: msoTrue is -1, and a host may answer a Boolean instead.
    Result<bool> hasTextFrame() override { return asBoolean(get(L"HasTextFrame")); }
    Result<TextFrameRef> textFrame() override { return objectOf<BridgedTextFrame>(get(L"TextFrame")); }
};

using BridgedShapes = BridgedCollection<ShapeCollection, roles::kShapeCollection, BridgedShape>;

Result<ShapeCollectionRef> BridgedPage::shapes() { return objectOf<BridgedShapes>(get(L"Shapes")); }

using BridgedPages = BridgedCollection<PageCollection, roles::kPageCollection, BridgedPage>;
using BridgedStory = BridgedSpanHolder<Story, roles::kStory>;

Result<StoryRef> BridgedSpan::story() { return objectOf<BridgedStory>(get(L"Story")); }
using BridgedStories = BridgedCollection<StoryCollection, roles::kStoryCollection, BridgedStory>;
using BridgedSelection = BridgedSpanHolder<PublicationSelection, roles::kPublicationSelection>;

class BridgedPublication : public BridgedAs<Publication, roles::kPublication> {
public:
    using BridgedAs::BridgedAs;
    Result<PageCollectionRef> pages() override { return objectOf<BridgedPages>(get(L"Pages")); }
    Result<PublicationSelectionRef> selection() override { return objectOf<BridgedSelection>(get(L"Selection")); }
    Result<StoryCollectionRef> stories() override { return objectOf<BridgedStories>(get(L"Stories")); }
    Result<PublicationViewRef> view() override { return objectOf<BridgedView>(get(L"ActiveView")); }
    Status beginUndoGroup(const std::u16string& name) override {
        return statusOf(invoke(object_.get(), L"BeginCustomUndoAction", Call::Method, {Variant::text(name)}));
    }
    Status endUndoGroup() override { return call(L"EndCustomUndoAction"); }
    bool isSameObject(const Publication& other) const override {
        return bridgesTheSameObject<BridgedPublication>(other);
    }
};

/// Delivers a button's Click, raised through its connection point, to a sink.
class ClickEvents final
    : public win32::ComObject<win32::WithoutTypeInfo<win32::DispatchedByTable<IDispatch, ClickEvents>>, IID_IDispatch,
                              kButtonEvents> {
public:
    explicit ClickEvents(ButtonClickSink& sink) : sink_(sink) {}

    static std::span<const win32::Member<ClickEvents>> members() {
        static constexpr win32::Member<ClickEvents> kMembers[] = {
            {L"Click", kClickId, DISPATCH_METHOD, 2, 2, &ClickEvents::click}};
        return kMembers;
    }

private:
    /// Click(Ctrl, CancelDefault).
    HRESULT click(win32::Invocation& call) {
        // CancelDefault is the host's to change, so it comes by reference: a
        // Boolean, or a Variant that holds one.
        if (!(V_VT(call.passed(1)) & VT_BYREF)) return call.mismatch(1);
        bool cancelDefault = false;
        if (HRESULT hr = call.boolean(1, &cancelDefault); FAILED(hr)) return hr;
        // The handlers do not look at the button; a Ctrl that is no button is passed as none.
        ComPtr<IDispatch> ctrl;
        ToolbarButtonRef button;
        if (SUCCEEDED(win32::objectOf(*call.passed(0), &ctrl)) && ctrl) {
            if (auto inButtonRole = inRole(ctrl.get(), roles::kToolbarButton))
                button = bridgeButton(std::move(*inButtonRole));
        }
        // CancelDefault is the host's: the handlers leave it as it came.
        sink_.Click(button, cancelDefault);
        return S_OK;
    }

    ButtonClickSink& sink_;
};

/// A control of a bar; once asked for as a button, the button itself.
class BridgedControl : public ToolbarButton, public Bridged {
public:
    using Interface = ToolbarControl;
    static constexpr const Role& kRole = roles::kToolbarControl;
    using Bridged::Bridged;

    Status setCaption(const std::u16string& caption) override { return put(L"Caption", Variant::text(caption)); }
    Status setEnabled(bool enabled) override { return put(L"Enabled", Variant::boolean(enabled)); }
    Status setVisible(bool visible) override { return put(L"Visible", Variant::boolean(visible)); }
    Result<ToolbarButtonRef> asButton() override {
        auto button = inRole(object_.get(), roles::kToolbarButton);
        if (!button) return button.error();
        return bridgeButton(std::move(*button));
    }

    Status setIcon(int32_t faceId) override { return put(L"FaceId", Variant::number(faceId)); }

    Result<uint32_t> subscribe(ButtonClickSink& sink) override {
        ComPtr<IConnectionPointContainer> container = object_.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
        if (!container) return win32::systemFailure(E_NOINTERFACE);
        ComPtr<IConnectionPoint> point;
        if (HRESULT hr = container->FindConnectionPoint(kButtonEvents, point.out()); FAILED(hr))
            return win32::failureOf(hr);
        auto events = ComPtr<IDispatch>::adopt(new (std::nothrow) ClickEvents(sink));
        if (!events) return win32::systemFailure(E_OUTOFMEMORY);
        DWORD cookie = 0;
        if (HRESULT hr = point->Advise(events.get(), &cookie); FAILED(hr)) return win32::failureOf(hr);
        points_.emplace(cookie, std::move(point));
        return static_cast<uint32_t>(cookie);
    }

    Status unsubscribe(uint32_t cookie) override {
        auto found = points_.find(cookie);
        if (found == points_.end()) return win32::systemFailure(CONNECT_E_NOCONNECTION);
        const HRESULT hr = found->second->Unadvise(cookie);
        points_.erase(found);
        if (FAILED(hr)) return win32::failureOf(hr);
        return {};
    }

private:
    std::map<uint32_t, ComPtr<IConnectionPoint>> points_;
};

class BridgedControls : public BridgedAs<ToolbarControls, roles::kToolbarControls> {
public:
    using BridgedAs::BridgedAs;
    /// Add(Type, Id, Parameter, Before, Temporary): only the type; the rest are the host's defaults.
    Result<ToolbarControlRef> add(int32_t type) override {
        return objectOf<BridgedControl>(invoke(object_.get(), L"Add", Call::Method, {Variant::number(type)}));
    }
    Result<ToolbarControlRef> item(const std::u16string& caption) override {
        return objectOf<BridgedControl>(Bridged::item(caption));
    }
};

class BridgedToolbar : public BridgedAs<Toolbar, roles::kToolbar> {
public:
    using BridgedAs::BridgedAs;
    Result<ToolbarControlsRef> controls() override { return objectOf<BridgedControls>(get(L"Controls")); }
    Status remove() override { return call(L"Delete"); }
    Status setEnabled(bool enabled) override { return put(L"Enabled", Variant::boolean(enabled)); }
    Status setName(const std::u16string& name) override { return put(L"Name", Variant::text(name)); }
    Status setVisible(bool visible) override { return put(L"Visible", Variant::boolean(visible)); }
};

class BridgedToolbars : public BridgedAs<ToolbarCollection, roles::kToolbarCollection> {
public:
    using BridgedAs::BridgedAs;
    Result<ToolbarRef> item(const std::u16string& name) override { return objectOf<BridgedToolbar>(Bridged::item(name)); }
    /// Add(Name, Position, MenuBar, Temporary), every one left to the host's default.
    Result<ToolbarRef> add() override { return objectOf<BridgedToolbar>(invoke(object_.get(), L"Add", Call::Method)); }
};

class BridgedApplication : public Application, public Bridged {
public:
    using Bridged::Bridged;
    Result<PublicationRef> publication() override { return objectOf<BridgedPublication>(get(L"ActiveDocument")); }
    Result<ToolbarCollectionRef> toolbars() override { return objectOf<BridgedToolbars>(get(L"CommandBars")); }
    Result<bool> screenUpdating() override { return asBoolean(get(L"ScreenUpdating")); }
    Status setScreenUpdating(bool updating) override { return put(L"ScreenUpdating", Variant::boolean(updating)); }
};

}  // namespace

ApplicationRef bridgeApplication(ComPtr<IDispatch> application) {
    if (!application) return nullptr;
    return std::make_shared<BridgedApplication>(std::move(application));
}

ToolbarButtonRef bridgeButton(ComPtr<IDispatch> button) {
    if (!button) return nullptr;
    return std::make_shared<BridgedControl>(std::move(button));
}

IDispatch* comApplication(const ApplicationRef& application) {
    auto* bridged = dynamic_cast<BridgedApplication*>(application.get());
    return bridged ? bridged->com() : nullptr;
}

IDispatch* comButton(const ToolbarButtonRef& button) {
    auto* bridged = dynamic_cast<BridgedControl*>(button.get());
    return bridged ? bridged->com() : nullptr;
}

}  // namespace quillet::com
