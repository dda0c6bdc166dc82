#include "addin/win32/ComConnect.h"

#include <new>

#include "AddInDesigner.h"
#include "Quillet.h"
#include "addin/Connect.h"
#include "addin/win32/ComponentInstance.h"
#include "host/com/ComBridge.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/ModulePath.h"

namespace quillet::win32 {

namespace {

/// The type information of an interface, loaded once and kept: `_Connect`'s
/// from the DLL's own type library, the connection interface's from the
/// host's registered one.
ITypeInfo* connectTypeInfo() {
    static ITypeInfo* cached = nullptr;
    if (cached) return cached;
    const std::wstring path = ModulePath(ComponentModule());
    ComPtr<ITypeLib> library;
    if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.out()))) return nullptr;
    library->GetTypeInfoOfGuid(IID__Connect, &cached);
    return cached;
}

ITypeInfo* extensibilityTypeInfo() {
    static ITypeInfo* cached = nullptr;
    if (cached) return cached;
    ComPtr<ITypeLib> library;
    if (FAILED(LoadRegTypeLib(LIBID_AddInDesignerObjects, 1, 0, 0, library.out()))) return nullptr;
    library->GetTypeInfoOfGuid(IID__IDTExtensibility2, &cached);
    return cached;
}

/// IDispatch of `Interface`, served from the type information that `typeInfo` gives.
template <typename Interface, ITypeInfo* (*typeInfo)()>
class DispatchFromTypeInfo : public Interface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = typeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* found = typeInfo();
        if (!found) return E_NOTIMPL;
        found->AddRef();
        *info = found;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* found = typeInfo();
        return found ? found->GetIDsOfNames(names, count, ids) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override {
        ITypeInfo* found = typeInfo();
        if (!found) return E_NOTIMPL;
        return found->Invoke(static_cast<Interface*>(this), member, flags, params, result, exception, argError);
    }
};

/// The object that the host hands over at connection.
class DispatchHostObject : public HostObject {
public:
    explicit DispatchHostObject(IDispatch* object) : object_(object) {}
    Result<ApplicationRef> queryApplication() override {
        if (!object_) return errors::objectNotSet();
        ComPtr<::Application> application;
        if (HRESULT hr = object_->QueryInterface(IID_Application, reinterpret_cast<void**>(application.out()));
            FAILED(hr))
            return com::failureOf(hr);
        return com::bridgeApplication(application.get());
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

class ComConnect final : public DispatchFromTypeInfo<_Connect, connectTypeInfo> {
public:
    ComConnect() : connect_(TheComponent()), extensibility_(*this) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__Connect) {
            *object = static_cast<_Connect*>(this);
        } else if (iid == IID__IDTExtensibility2) {
            *object = static_cast<_IDTExtensibility2*>(&extensibility_);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // _Connect
    HRESULT STDMETHODCALLTYPE get_pubApp(::Application** result) override {
        return handOut(com::comApplication(connect_.pubApp), result);
    }
    HRESULT STDMETHODCALLTYPE putref_pubApp(::Application* value) override {
        return guarded([&] {
            connect_.pubApp = com::bridgeApplication(value);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_cbbFind(::ToolbarButton** result) override {
        return handOut(com::comButton(connect_.cbbFind.get()), result);
    }
    HRESULT STDMETHODCALLTYPE putref_cbbFind(::ToolbarButton* value) override {
        return guarded([&] {
            connect_.cbbFind.set(com::bridgeButton(value));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_cbbReplace(::ToolbarButton** result) override {
        return handOut(com::comButton(connect_.cbbReplace.get()), result);
    }
    HRESULT STDMETHODCALLTYPE putref_cbbReplace(::ToolbarButton* value) override {
        return guarded([&] {
            connect_.cbbReplace.set(com::bridgeButton(value));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE AddToolbar() override {
        return guarded([&] {
            connect_.AddToolbar();
            return S_OK;
        });
    }

private:
    /// The add-in connection interface, a second face of the same object.
    class Extensibility final : public DispatchFromTypeInfo<_IDTExtensibility2, extensibilityTypeInfo> {
    public:
        explicit Extensibility(ComConnect& outer) : outer_(outer) {}

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
            return outer_.QueryInterface(iid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }

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

    template <typename T>
    static HRESULT handOut(T* object, T** result) {
        if (!result) return E_POINTER;
        if (object) object->AddRef();
        *result = object;
        return S_OK;
    }

    LONG references_ = 1;
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
