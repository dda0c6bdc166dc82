#include "addin/win32/ComConnect.h"

#include <new>

#include "AddInDesigner.h"
#include "Quillet.h"
#include "addin/Connect.h"
#include "addin/win32/ComponentInstance.h"
#include "host/com/ComBridge.h"
#include "host/com/LateBinding.h"
#include "platform/win32/ComObject.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/DispatchNames.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/Variant.h"

namespace quillet::win32 {

namespace {

// _Connect's members, under the ids that its type library gives them.
constexpr DISPID kPubApp = 0x40030000;
constexpr DISPID kCbbFind = 0x40030002;
constexpr DISPID kCbbReplace = 0x40030003;
constexpr DISPID kAddToolbar = 0x60030002;
constexpr NamedMember kConnectMembers[] = {
    {L"pubApp", kPubApp}, {L"cbbFind", kCbbFind}, {L"cbbReplace", kCbbReplace}, {L"AddToolbar", kAddToolbar}};

// The add-in connection interface's members, as it publishes them.
constexpr DISPID kOnConnection = 1;
constexpr DISPID kOnDisconnection = 2;
constexpr DISPID kOnAddInsUpdate = 3;
constexpr DISPID kOnStartupComplete = 4;
constexpr DISPID kOnBeginShutdown = 5;
constexpr NamedMember kExtensibilityMembers[] = {{L"OnConnection", kOnConnection},
                                                 {L"OnDisconnection", kOnDisconnection},
                                                 {L"OnAddInsUpdate", kOnAddInsUpdate},
                                                 {L"OnStartupComplete", kOnStartupComplete},
                                                 {L"OnBeginShutdown", kOnBeginShutdown}};

/// `_Connect`'s type information from the DLL's own type library, loaded once
/// and kept. It is what GetTypeInfo hands out; dispatching never needs it, so
/// that the object works where the host's type libraries are not registered.
ITypeInfo* connectTypeInfo() {
    static ITypeInfo* cached = nullptr;
    if (cached) return cached;
    const std::wstring path = ModulePath(ComponentModule());
    ComPtr<ITypeLib> library;
    if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.out()))) return nullptr;
    library->GetTypeInfoOfGuid(IID__Connect, &cached);
    return cached;
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

/// Runs an entry point from the host; nothing the add-in does ends up there.
template <typename Call>
HRESULT guarded(Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

template <typename T>
HRESULT handOut(T* object, T** result) {
    if (!result) return E_POINTER;
    if (object) object->AddRef();
    *result = object;
    return S_OK;
}

class ComConnect final : public ComObject<_Connect, IID_IDispatch, IID__Connect> {
public:
    ComConnect() : connect_(TheComponent()), extensibility_(*this) {}

    /// _Connect under IUnknown, IDispatch and its own IID; the connection
    /// interface is a second face of the same object.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object || iid != IID__IDTExtensibility2) return ComObject::QueryInterface(iid, object);
        *object = static_cast<_IDTExtensibility2*>(&extensibility_);
        AddRef();
        return S_OK;
    }

    // IDispatch, in code: a host that only knows the names reaches every member.
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
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return IdsOfNames(kConnectMembers, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argumentError) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        DISPPARAMS none{};
        const DISPPARAMS& arguments = params ? *params : none;
        switch (member) {
        case kPubApp:
            return objectProperty(flags, arguments, result, argumentError,
                                  [&] { return com::comApplication(connect_.pubApp); },
                                  [&](IDispatch* value) { return setPubApp(value); });
        case kCbbFind:
            return objectProperty(flags, arguments, result, argumentError,
                                  [&] { return com::comButton(connect_.cbbFind.get()); },
                                  [&](IDispatch* value) { return setButton(connect_.cbbFind, value); });
        case kCbbReplace:
            return objectProperty(flags, arguments, result, argumentError,
                                  [&] { return com::comButton(connect_.cbbReplace.get()); },
                                  [&](IDispatch* value) { return setButton(connect_.cbbReplace, value); });
        case kAddToolbar:
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (arguments.cArgs != 0) return DISP_E_BADPARAMCOUNT;
            if (result) VariantInit(result);
            return AddToolbar();
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    // _Connect
    HRESULT STDMETHODCALLTYPE get_pubApp(::Application** result) override {
        return handOut(static_cast<IDispatch*>(com::comApplication(connect_.pubApp)),
                       reinterpret_cast<IDispatch**>(result));
    }
    HRESULT STDMETHODCALLTYPE putref_pubApp(::Application* value) override { return setPubApp(value); }
    HRESULT STDMETHODCALLTYPE get_cbbFind(::ToolbarButton** result) override {
        return handOut(com::comButton(connect_.cbbFind.get()), reinterpret_cast<IDispatch**>(result));
    }
    HRESULT STDMETHODCALLTYPE putref_cbbFind(::ToolbarButton* value) override {
        return setButton(connect_.cbbFind, value);
    }
    HRESULT STDMETHODCALLTYPE get_cbbReplace(::ToolbarButton** result) override {
        return handOut(com::comButton(connect_.cbbReplace.get()), reinterpret_cast<IDispatch**>(result));
    }
    HRESULT STDMETHODCALLTYPE putref_cbbReplace(::ToolbarButton* value) override {
        return setButton(connect_.cbbReplace, value);
    }
    HRESULT STDMETHODCALLTYPE AddToolbar() override {
        return guarded([&] {
            connect_.AddToolbar();
            return S_OK;
        });
    }

private:
    /// The add-in connection interface, a second face of the same object. A
    /// host may call it through its published vtable or through Invoke.
    class Extensibility final : public WithoutTypeInfo<_IDTExtensibility2> {
    public:
        explicit Extensibility(ComConnect& outer) : outer_(outer) {}

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            return outer_.QueryInterface(iid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }

        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
            return IdsOfNames(kExtensibilityMembers, names, count, ids);
        }
        /// Every member is a method; the arguments arrive last first.
        HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                         VARIANT* result, EXCEPINFO*, UINT* argumentError) override {
            if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
            UINT expected = 0;
            switch (member) {
            case kOnConnection: expected = 4; break;
            case kOnDisconnection: expected = 2; break;
            case kOnAddInsUpdate:
            case kOnStartupComplete:
            case kOnBeginShutdown: expected = 1; break;
            default: return DISP_E_MEMBERNOTFOUND;
            }
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            if (!params || params->cArgs != expected) return DISP_E_BADPARAMCOUNT;
            if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
            if (result) VariantInit(result);

            auto mismatch = [&](UINT position) {
                if (argumentError) *argumentError = position;
                return DISP_E_TYPEMISMATCH;
            };
            // AddInInst and custom are not looked at, whatever they hold.
            switch (member) {
            case kOnConnection: {
                ComPtr<IDispatch> application;
                if (FAILED(ObjectArgument(params->rgvarg[3], application))) return mismatch(3);
                Variant mode;
                if (FAILED(VariantChangeType(mode.out(), &params->rgvarg[2], 0, VT_I4))) return mismatch(2);
                return OnConnection(application.get(), static_cast<ext_ConnectMode>(V_I4(&mode.get())), nullptr,
                                    nullptr);
            }
            case kOnDisconnection: {
                Variant mode;
                if (FAILED(VariantChangeType(mode.out(), &params->rgvarg[1], 0, VT_I4))) return mismatch(1);
                return OnDisconnection(static_cast<ext_DisconnectMode>(V_I4(&mode.get())), nullptr);
            }
            default:
                return S_OK;
            }
        }

        HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch*,
                                               SAFEARRAY**) override {
            return guarded([&] {
                DispatchHostObject host(application);
                outer_.connect_.AddinInstance_OnConnection(host, static_cast<int32_t>(mode));
                return S_OK;
            });
        }
        HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY**) override {
            return guarded([&] {
                outer_.connect_.AddinInstance_OnDisconnection(static_cast<int32_t>(mode));
                return S_OK;
            });
        }
        HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override { return S_OK; }

    private:
        ComConnect& outer_;
    };

    /// An object property of _Connect through Invoke: read, or assigned by
    /// reference, as its type library declares it.
    template <typename Get, typename Set>
    static HRESULT objectProperty(WORD flags, const DISPPARAMS& params, VARIANT* result, UINT* argumentError, Get get,
                                  Set set) {
        if (flags & DISPATCH_PROPERTYGET) {
            if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
            if (!result) return S_OK;
            *result = Variant::object(get()).detach();
            return S_OK;
        }
        if (!(flags & DISPATCH_PROPERTYPUTREF)) return DISP_E_MEMBERNOTFOUND;
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTFOUND;
        ComPtr<IDispatch> value;
        if (FAILED(ObjectArgument(params.rgvarg[0], value)) || FAILED(set(value.get()))) {
            if (argumentError) *argumentError = 0;
            return DISP_E_TYPEMISMATCH;
        }
        return S_OK;
    }

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

    Connect connect_;
    Extensibility extensibility_;
};

}  // namespace

HRESULT CreateConnect(REFIID iid, void** object) {
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

}  // namespace quillet::win32
