#include "packaging/ClassFactory.h"

#include <new>

#include "Quillet.h"
#include "addin/win32/ComConnect.h"
#include "addin/win32/ComponentInstance.h"
#include "platform/win32/ComObject.h"

namespace quillet::win32 {
namespace {

using CreateFunction = HRESULT (*)(REFIID iid, void** object);

struct CreatableClass {
    const CLSID* clsid;
    CreateFunction create;
};

// Connect is the one class that COM may create; the dialogs are made by the
// component itself and never leave it.
constexpr CreatableClass kCreatableClasses[] = {
    {&CLSID_Connect, &createConnect},
};

/// One factory serves any class of the table; what it creates is chosen when
/// DllGetClassObject makes it.
class ClassFactory final : public ComObject<IClassFactory, IID_IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) { lockComponent(/*lock=*/true); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, object);
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lockComponent(lock != FALSE);
        return S_OK;
    }

private:
    ~ClassFactory() override { lockComponent(/*lock=*/false); }

    CreateFunction create_;
};

}  // namespace

HRESULT getClassFactory(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const CreatableClass& creatable : kCreatableClasses) {
        if (!IsEqualCLSID(clsid, *creatable.clsid)) continue;
        auto* factory = new (std::nothrow) ClassFactory(creatable.create);
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(iid, object);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace quillet::win32
