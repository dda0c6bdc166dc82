#pragma once

#include <windows.h>

namespace quillet::win32 {

/// The IUnknown of an object with one interface, `Interface`, which it
/// answers under IUnknown and under each of `iids`: one reference count, and
/// the object deleted when the count drops to zero. Objects are born with one
/// reference, which their maker hands on or releases.
template <typename Interface, const IID&... iids>
class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !(IsEqualIID(iid, iids) || ...)) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    LONG references_ = 1;
};

}  // namespace quillet::win32
