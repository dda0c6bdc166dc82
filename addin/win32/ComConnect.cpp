#include "addin/win32/ComConnect.h"

#include <atomic>
#include <new>

#include "AddInDesigner.h"
#include "Quillet.h"
#include "addin/Connect.h"
#include "addin/win32/ComponentInstance.h"
#include "addin/win32/ConnectDispids.h"
#include "host/com/ComBridge.h"
#include "host/com/LateBinding.h"
#include "platform/win32/ComObject.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/DispatchMembers.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/Variant.h"

namespace quillet::win32 {

namespace {

/// `_Connect`'s type information, once loaded; released when the DLL is
/// unloaded (releaseConnectTypeInfo). Constant-initialised, so that loading
/// the DLL runs no constructor of ours.
std::atomic<ITypeInfo*> cachedTypeInfo{nullptr};

/// `_Connect`'s type information from the DLL's own type library, loaded once
/// and kept. It is what GetTypeInfo hands out; dispatching never needs it, so
/// that the object works where the host's type libraries are not registered.
ITypeInfo* connectTypeInfo() {
    if (ITypeInfo* cached = cachedTypeInfo.load()) return cached;
    const std::wstring path = modulePath(componentModule());
    ComPtr<ITypeLib> library;
    if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.out()))) return nullptr;
    ComPtr<ITypeInfo> loaded;
    if (FAILED(library->GetTypeInfoOfGuid(IID__Connect, loaded.out()))) return nullptr;
    // Another thread may have been quicker: its type information stays, this one goes.
    ITypeInfo* expected = nullptr;
    if (cachedTypeInfo.compare_exchange_strong(expected, loaded.get())) return loaded.detach();
    return expected;
}

/// The object that the host hands over at connection.
class DispatchHostObject : public HostObject {
public:
    explicit DispatchHostObject(IDispatch* object) : object_(object) {}
    Result<ApplicationRef> queryApplication() override {
        auto application = com::inRole(object_, com::roles::kApplication);
        if (!application) return application.error();
        return com::bridgeApplication(std::move(*application));
    }

private:
    IDispatch* object_;
};

template <typename T>
HRESULT handOut(IDispatch* object, T** result) {
    if (!result) return E_POINTER;
    if (object) object->AddRef();
    *result = reinterpret_cast<T*>(object);
    return S_OK;
}

class ComConnect;

/// The add-in connection interface, a second face of a Connect object. A
/// host may call it through its published vtable or through Invoke, which
/// calls the same methods.
class Extensibility final
    : public WithoutTypeInfo<DispatchedByTable<_IDTExtensibility2, Extensibility>> {
public:
    explicit Extensibility(ComConnect& outer) : outer_(outer) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch*,
                                           SAFEARRAY**) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY**) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override { return S_OK; }

    /// Every member is a method. AddInInst and custom are not looked at,
    /// whatever they hold.
    static std::span<const Member<Extensibility>> members() {
        static constexpr Member<Extensibility> kMembers[] = {
            {L"OnConnection", 1, DISPATCH_METHOD, 4, 4, &Extensibility::connection},
            {L"OnDisconnection", 2, DISPATCH_METHOD, 2, 2, &Extensibility::disconnection},
            {L"OnAddInsUpdate", 3, DISPATCH_METHOD, 1, 1, &Extensibility::nothingToDo},
            {L"OnStartupComplete", 4, DISPATCH_METHOD, 1, 1, &Extensibility::nothingToDo},
            {L"OnBeginShutdown", 5, DISPATCH_METHOD, 1, 1, &Extensibility::nothingToDo},
        };
        return kMembers;
    }

private:
    HRESULT connection(Invocation& call) {
        ComPtr<IDispatch> application;
        if (HRESULT hr = call.object(0, &application); FAILED(hr)) return hr;
        int32_t mode = 0;
        if (HRESULT hr = call.number(1, &mode); FAILED(hr)) return hr;
        return OnConnection(application.get(), static_cast<ext_ConnectMode>(mode), nullptr, nullptr);
    }
    HRESULT disconnection(Invocation& call) {
        int32_t mode = 0;
        if (HRESULT hr = call.number(0, &mode); FAILED(hr)) return hr;
        return OnDisconnection(static_cast<ext_DisconnectMode>(mode), nullptr);
    }
    HRESULT nothingToDo(Invocation&) { return S_OK; }

    ComConnect& outer_;
};

class ComConnect final : public DispatchedByTable<ComObject<_Connect, IID_IDispatch, IID__Connect>, ComConnect> {
public:
    ComConnect() : connect_(theComponent()), extensibility_(*this) {}

    /// _Connect under IUnknown, IDispatch and its own IID; the connection
    /// interface is a second face of the same object.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object || iid != IID__IDTExtensibility2) return ComObject::QueryInterface(iid, object);
        *object = static_cast<_IDTExtensibility2*>(&extensibility_);
        AddRef();
        return S_OK;
    }

    // IDispatch dispatches in code (members()): a host that only knows the
    // names reaches every member. The type information is for those who ask.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = connectTypeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* found = connectTypeInfo();
        if (!found) return TYPE_E_CANTLOADLIBRARY;
        found->AddRef();
        *info = found;
        return S_OK;
    }

    // _Connect through its vtable: the same handlers as through Invoke.
    HRESULT STDMETHODCALLTYPE get_pubApp(::Application** result) override { return handOut(pubApp(), result); }
    HRESULT STDMETHODCALLTYPE putref_pubApp(::Application* value) override { return setPubApp(value); }
    HRESULT STDMETHODCALLTYPE get_cbbFind(::ToolbarButton** result) override { return handOut(cbbFind(), result); }
    HRESULT STDMETHODCALLTYPE putref_cbbFind(::ToolbarButton* value) override { return setCbbFind(value); }
    HRESULT STDMETHODCALLTYPE get_cbbReplace(::ToolbarButton** result) override {
        return handOut(cbbReplace(), result);
    }
    HRESULT STDMETHODCALLTYPE putref_cbbReplace(::ToolbarButton* value) override { return setCbbReplace(value); }
    HRESULT STDMETHODCALLTYPE AddToolbar() override {
        return guarded([&] {
            connect_.AddToolbar();
            return S_OK;
        });
    }

    /// The object properties are read, or assigned by reference, as the type
    /// library declares them.
    static std::span<const Member<ComConnect>> members() {
        static constexpr Member<ComConnect> kMembers[] = {
            {L"pubApp", DISPID_CONNECT_PUBAPP, DISPATCH_PROPERTYGET, 0, 0, &ComConnect::read<&ComConnect::pubApp>},
            {L"pubApp", DISPID_CONNECT_PUBAPP, DISPATCH_PROPERTYPUTREF, 0, 0,
             &ComConnect::assign<&ComConnect::setPubApp>},
            {L"cbbFind", DISPID_CONNECT_CBBFIND, DISPATCH_PROPERTYGET, 0, 0, &ComConnect::read<&ComConnect::cbbFind>},
            {L"cbbFind", DISPID_CONNECT_CBBFIND, DISPATCH_PROPERTYPUTREF, 0, 0,
             &ComConnect::assign<&ComConnect::setCbbFind>},
            {L"cbbReplace", DISPID_CONNECT_CBBREPLACE, DISPATCH_PROPERTYGET, 0, 0,
             &ComConnect::read<&ComConnect::cbbReplace>},
            {L"cbbReplace", DISPID_CONNECT_CBBREPLACE, DISPATCH_PROPERTYPUTREF, 0, 0,
             &ComConnect::assign<&ComConnect::setCbbReplace>},
            {L"AddToolbar", DISPID_CONNECT_ADDTOOLBAR, DISPATCH_METHOD, 0, 0, &ComConnect::addToolbar},
        };
        return kMembers;
    }

private:
    friend class Extensibility;

    IDispatch* pubApp() { return com::comApplication(connect_.pubApp); }
    IDispatch* cbbFind() { return com::comButton(connect_.cbbFind.get()); }
    IDispatch* cbbReplace() { return com::comButton(connect_.cbbReplace.get()); }

    /// Holds `value` as the host application; Nothing empties `pubApp`.
    HRESULT setPubApp(IDispatch* value) {
        return guarded([&] {
            if (!value) {
                connect_.pubApp = nullptr;
                return S_OK;
            }
            auto application = com::inRole(value, com::roles::kApplication);
            if (!application) return E_NOINTERFACE;
            connect_.pubApp = com::bridgeApplication(std::move(*application));
            return S_OK;
        });
    }
    HRESULT setCbbFind(IDispatch* value) { return setButton(connect_.cbbFind, value); }
    HRESULT setCbbReplace(IDispatch* value) { return setButton(connect_.cbbReplace, value); }

    /// Holds `value` in a button member, which moves the Click subscription to it.
    HRESULT setButton(SubscribedButton& member, IDispatch* value) {
        return guarded([&] {
            if (!value) {
                member.set(nullptr);
                return S_OK;
            }
            auto button = com::inRole(value, com::roles::kToolbarButton);
            if (!button) return E_NOINTERFACE;
            member.set(com::bridgeButton(std::move(*button)));
            return S_OK;
        });
    }

    // Invoke's side of the handlers.
    template <IDispatch* (ComConnect::*get)()>
    HRESULT read(Invocation& call) {
        return call.answer(Variant::object((this->*get)()));
    }
    /// An object that does not fit the member is the caller's mistake.
    template <HRESULT (ComConnect::*set)(IDispatch*)>
    HRESULT assign(Invocation& call) {
        ComPtr<IDispatch> value;
        if (FAILED(call.object(0, &value)) || FAILED((this->*set)(value.get()))) return call.mismatch(0);
        return S_OK;
    }
    HRESULT addToolbar(Invocation&) { return AddToolbar(); }

    Connect connect_;
    Extensibility extensibility_;
};

HRESULT Extensibility::QueryInterface(REFIID iid, void** object) { return outer_.QueryInterface(iid, object); }
ULONG Extensibility::AddRef() { return outer_.AddRef(); }
ULONG Extensibility::Release() { return outer_.Release(); }

HRESULT Extensibility::OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch*, SAFEARRAY**) {
    return guarded([&] {
        DispatchHostObject host(application);
        outer_.connect_.AddinInstance_OnConnection(host, static_cast<int32_t>(mode));
        return S_OK;
    });
}

HRESULT Extensibility::OnDisconnection(ext_DisconnectMode mode, SAFEARRAY**) {
    return guarded([&] {
        outer_.connect_.AddinInstance_OnDisconnection(static_cast<int32_t>(mode));
        return S_OK;
    });
}

}  // namespace

HRESULT createConnect(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return guarded([&] {
        auto* created = new (std::nothrow) ComConnect();
        if (!created) return E_OUTOFMEMORY;
        const HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    });
}

void releaseConnectTypeInfo() {
    if (ITypeInfo* cached = cachedTypeInfo.exchange(nullptr)) cached->Release();
}

}  // namespace quillet::win32
