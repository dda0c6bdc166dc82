#include <olectl.h>

#include <map>
#include <memory>

#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

/// Delivers a button's Click to one advised sink as the button events' Click.
class ClickForwarder final : public ButtonClickSink, public std::enable_shared_from_this<ClickForwarder> {
public:
    explicit ClickForwarder(ComPtr<IDispatch> sink) : sink_(std::move(sink)) {}

    void Click(const ToolbarButtonRef& ctrl, bool& cancelDefault) override {
        // The sink may unadvise itself, or release the button, from its own
        // Click: this keeps the forwarder and the sink alive until it returns.
        const std::shared_ptr<ClickForwarder> self = shared_from_this();
        ComPtr<IDispatch> button;
        if (FAILED(wrap(ctrl, button.out()))) return;
        VARIANT_BOOL cancel = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
        // DISPPARAMS holds the arguments last first.
        VARIANTARG arguments[2];
        V_VT(&arguments[0]) = VT_BOOL | VT_BYREF;
        V_BOOLREF(&arguments[0]) = &cancel;
        V_VT(&arguments[1]) = VT_DISPATCH;
        V_DISPATCH(&arguments[1]) = button.get();
        DISPPARAMS params = {arguments, nullptr, 2, 0};
        // What the sink's handler does is its own business: the host raises
        // the event and goes on, whatever Invoke answers.
        sink_->Invoke(quillet::com::kClickId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        cancelDefault = cancel != VARIANT_FALSE;
    }

private:
    ComPtr<IDispatch> sink_;
};

class ComToolbarControl;

/// The one connection point of a button, for the button events. It lives
/// inside its button object and shares the button's reference count.
class ButtonEventsPoint final : public IConnectionPoint {
public:
    explicit ButtonEventsPoint(ComToolbarControl& owner) : owner_(owner) {}
    ButtonEventsPoint(const ButtonEventsPoint&) = delete;
    ButtonEventsPoint& operator=(const ButtonEventsPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    /// Ends every connection that is left: the button object is going away,
    /// and the host must not call into it afterwards.
    void disconnectAll() noexcept;

private:
    struct Connection {
        uint32_t hostCookie;
        std::shared_ptr<ClickForwarder> forwarder;
    };

    ComToolbarControl& owner_;
    std::map<DWORD, Connection> connections_;
    DWORD nextCookie_ = 1;
};

/// A control of a command bar, and the same object in the ToolbarButton role
/// once the host agreed to view it as a button: the add-in keeps one identity
/// for the control it added and the button it then uses.
class ComToolbarControl final : public NamedObject<ComToolbarControl>, public IConnectionPointContainer {
public:
    /// `button` is null for a control not yet known to be a button.
    ComToolbarControl(ToolbarControlRef control, ToolbarButtonRef button)
        : NamedObject(roles::kToolbarControl, HostLibrary::Office),
          control_(std::move(control)),
          button_(std::move(button)),
          buttonFace_(*this, roles::kToolbarButton.name),
          events_(*this) {}
    ~ComToolbarControl() override { events_.disconnectAll(); }

    static std::span<const Member<ComToolbarControl>> members() {
        static constexpr Member<ComToolbarControl> kMembers[] = {
            {L"Caption", kPut, 0, 0, &answeredBy<&ToolbarControl::setCaption>},
            {L"Enabled", kPut, 0, 0, &answeredBy<&ToolbarControl::setEnabled>},
            {L"Visible", kPut, 0, 0, &answeredBy<&ToolbarControl::setVisible>},
            {L"FaceId", kPut, 0, 0, &ComToolbarControl::setFaceId},
        };
        return kMembers;
    }

    ToolbarControl& host() { return *control_; }

    /// A button's icon: a control that is no button has no such member.
    static HRESULT setFaceId(ComToolbarControl& control, HostCall& call) {
        if (!control.button_) return DISP_E_MEMBERNOTFOUND;
        return call.forward(*control.button_, &ToolbarButton::setIcon);
    }

    // IUnknown of the connection point container: the object's own.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override { return queryInterface(iid, object); }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points) *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = nullptr;
        if (!IsEqualIID(iid, quillet::com::kButtonEvents)) return CONNECT_E_NOCONNECTION;
        events_.AddRef();
        *point = &events_;
        return S_OK;
    }

    /// The host's button; set whenever the connection point is reachable.
    const ToolbarButtonRef& button() const { return button_; }

private:
    HRESULT otherInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, roles::kToolbarButton.iid)) {
            // The host decides at the first query that finds a button (a
            // refusal is asked again); after that the answer stands, as COM
            // requires, so only the add-in's own view of the control as a
            // button counts as a host operation.
            if (!button_) {
                try {
                    Result<ToolbarButtonRef> viewed = control_->asButton();
                    if (!viewed) return E_NOINTERFACE;
                    button_ = std::move(viewed).value();
                } catch (...) {
                    return E_OUTOFMEMORY;
                }
            }
            *object = buttonFace_.get();
        } else if (IsEqualIID(iid, IID_IConnectionPointContainer) && button_) {
            *object = static_cast<IConnectionPointContainer*>(this);
        }
        return S_OK;
    }

    ToolbarControlRef control_;
    ToolbarButtonRef button_;
    Face buttonFace_;
    ButtonEventsPoint events_;
};

HRESULT ButtonEventsPoint::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG ButtonEventsPoint::AddRef() { return owner_.addRef(); }

ULONG ButtonEventsPoint::Release() { return owner_.release(); }

HRESULT ButtonEventsPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = quillet::com::kButtonEvents;
    return S_OK;
}

HRESULT ButtonEventsPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    owner_.addRef();
    *container = &owner_;
    return S_OK;
}

HRESULT ButtonEventsPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(quillet::com::kButtonEvents, reinterpret_cast<void**>(events.out()))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(events.out()))))
        return CONNECT_E_CANNOTCONNECT;
    const ToolbarButtonRef& button = owner_.button();
    try {
        auto forwarder = std::make_shared<ClickForwarder>(std::move(events));
        auto& connection = connections_[nextCookie_];
        Result<uint32_t> subscribed = button->subscribe(*forwarder);
        if (!subscribed) {
            connections_.erase(nextCookie_);
            return resultOf(subscribed.error().number);
        }
        connection = Connection{*subscribed, std::move(forwarder)};
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT ButtonEventsPoint::Unadvise(DWORD cookie) {
    auto found = connections_.find(cookie);
    if (found == connections_.end()) return CONNECT_E_NOCONNECTION;
    const uint32_t hostCookie = found->second.hostCookie;
    // The forwarder may be delivering a Click right now; it holds itself until it returns.
    connections_.erase(found);
    if (Status status = owner_.button()->unsubscribe(hostCookie); !status)
        return resultOf(status.error().number);
    return S_OK;
}

HRESULT ButtonEventsPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

void ButtonEventsPoint::disconnectAll() noexcept {
    for (const auto& [cookie, connection] : connections_) {
        try {
            (void)owner_.button()->unsubscribe(connection.hostCookie);
        } catch (...) {
            // Nothing to report to: the object is being destroyed.
        }
    }
    connections_.clear();
}

}  // namespace

HRESULT wrap(ToolbarControlRef object, IDispatch** out) {
    return newObject<ComToolbarControl>(out, std::move(object), ToolbarButtonRef());
}

HRESULT wrap(ToolbarButtonRef object, IDispatch** out) {
    ToolbarControlRef control = object;
    return newObject<ComToolbarControl>(out, std::move(control), std::move(object));
}

}  // namespace quillet::simhost::com
