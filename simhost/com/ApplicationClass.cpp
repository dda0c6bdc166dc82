#include "simhost/com/ComHost.h"
#include "platform/win32/ComObject.h"
#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

/// The class object of the host's application while the host runs.
class ApplicationClassFactory final : public win32::ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ApplicationClassFactory(HostApplicationClass& host) : host_(host) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            Result<ApplicationRef> application = host_.create();
            if (!application) return resultOf(application.error().number);
            ComPtr<IDispatch> created;
            if (const HRESULT hr = wrap(std::move(application).value(), created.out()); FAILED(hr)) return hr;
            return created->QueryInterface(iid, object);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    // The host runs for as long as it likes, whatever the locks.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    HostApplicationClass& host_;
};

}  // namespace

HRESULT registerApplicationClass(HostApplicationClass& host, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    const ComPtr<IClassFactory> factory = ComPtr<IClassFactory>::adopt(new (std::nothrow) ApplicationClassFactory(host));
    if (!factory) return E_OUTOFMEMORY;
    return CoRegisterClassObject(quillet::com::kHostApplicationClass, factory.get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                 cookie);
}

}  // namespace quillet::simhost::com
