#pragma once

// What the COM objects of the stand-in host share: the dual-interface base,
// the error reporting, and the wrappers' constructors. Private to simhost/com.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "host/CommandBars.h"
#include "host/HostObjects.h"
#include "platform/win32/ComPtr.h"

// The C++ declarations that widl made from our IDL: ::Application, ::ToolbarButton, ...
#include "Office.h"
#include "Publisher.h"

namespace quillet::simhost::com {

using win32::ComPtr;

/// The type library that describes an interface; it also names the source of its errors.
enum class HostLibrary { Office, Publisher };

/// The type information of one of the stand-in host's interfaces (or of the
/// button events), loaded on first use and kept for the life of the process;
/// null when neither the registered library nor this program's resource
/// could be loaded.
ITypeInfo* HostTypeInfo(REFIID iid);

/// The HRESULT that a failure's number stands for: a host failure's number is
/// already one; a small positive run-time error number becomes the HRESULT
/// that automation gives it (0x800A0000 + number), so that it stays a failure.
HRESULT ResultOf(int32_t number);

/// Reports a failure of a method of interface `iid` the way the host does:
/// sets the thread's error info (description, source, GUID) and returns the
/// failure's HRESULT. Never throws.
HRESULT Raise(const RaisedError& error, REFIID iid, HostLibrary library) noexcept;
/// The same for a failure that the COM layer finds itself, with the
/// system's description of `hr`.
HRESULT Raise(HRESULT hr, REFIID iid, HostLibrary library) noexcept;

// The wrappers: each hands out the first reference of a new COM object over
// the host's object (E_OUTOFMEMORY when it cannot be made). One overload per
// host interface, so that a generic caller picks the wrapper by the type of
// its out parameter.
HRESULT Wrap(ApplicationRef object, ::Application** out);
HRESULT Wrap(PublicationRef object, ::Publication** out);
HRESULT Wrap(PageCollectionRef object, ::PageCollection** out);
HRESULT Wrap(PageRef object, ::Page** out);
HRESULT Wrap(PublicationViewRef object, ::PublicationView** out);
HRESULT Wrap(StoryCollectionRef object, ::StoryCollection** out);
HRESULT Wrap(StoryRef object, ::Story** out);
HRESULT Wrap(TextSpanRef object, ::TextSpan** out);
HRESULT Wrap(PublicationSelectionRef object, ::PublicationSelection** out);
HRESULT Wrap(ToolbarCollectionRef object, ::ToolbarCollection** out);
HRESULT Wrap(ToolbarRef object, ::Toolbar** out);
HRESULT Wrap(ToolbarControlsRef object, ::ToolbarControls** out);
/// A control: it answers ToolbarButton only when the host agrees to view it as one.
HRESULT Wrap(ToolbarControlRef object, ::ToolbarControl** out);
/// A control that is known to be a button.
HRESULT Wrap(ToolbarButtonRef object, ::ToolbarButton** out);
HRESULT Wrap(const std::u16string& text, BSTR* out);
HRESULT Wrap(int32_t number, LONG* out);

/// The host's page behind one of our own Page objects; null for any other
/// object (a page of another host, say).
PageRef HostPageOf(::Page* page);

/// The UTF-16 text of a BSTR, every code unit as it is (null: the empty text).
std::u16string TextOf(BSTR text);

/// A name or caption passed as a VARIANT: a string, or a reference to one;
/// DISP_E_TYPEMISMATCH for anything else.
HRESULT TextArgument(const VARIANT& argument, std::u16string* text);

/// A control type passed as an optional VARIANT: a 4- or 2-byte integer, or a
/// reference to one; 1 (a plain button) when the argument is missing;
/// DISP_E_TYPEMISMATCH for anything else.
HRESULT ControlTypeArgument(const VARIANT& argument, int32_t* type);

/// IUnknown, IDispatch and ISupportErrorInfo of an object that serves one
/// dual interface of the host. The object is born with one reference, which
/// its creator hands out. IDispatch comes from the interface's type
/// information through ITypeInfo::Invoke, so it calls the same vtable methods
/// that a caller of the interface reaches directly.
template <typename Interface, HostLibrary Library>
class DualObject : public Interface, public ISupportErrorInfo {
public:
    DualObject(const DualObject&) = delete;
    DualObject& operator=(const DualObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(Interface)))
            *object = static_cast<Interface*>(this);
        else if (IsEqualIID(iid, IID_ISupportErrorInfo))
            *object = static_cast<ISupportErrorInfo*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_INVALIDARG;
        *count = typeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_INVALIDARG;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* found = typeInfo();
        if (!found) return E_NOTIMPL;
        found->AddRef();
        *info = found;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* found = typeInfo();
        if (!found) return E_NOTIMPL;
        return found->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* found = typeInfo();
        if (!found) return E_NOTIMPL;
        return found->Invoke(static_cast<Interface*>(this), member, flags, params, result, exception,
                             argumentError);
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsEqualIID(iid, __uuidof(Interface)) ? S_OK : S_FALSE;
    }

protected:
    DualObject() = default;
    virtual ~DualObject() = default;

    /// The type information that IDispatch serves; it must describe a prefix
    /// of Interface's vtable.
    virtual ITypeInfo* typeInfo() { return HostTypeInfo(__uuidof(Interface)); }

    HRESULT fail(const RaisedError& error, REFIID iid = __uuidof(Interface)) { return Raise(error, iid, Library); }
    HRESULT fail(HRESULT hr, REFIID iid = __uuidof(Interface)) { return Raise(hr, iid, Library); }

    /// A method's outcome: the host's failure, or success.
    HRESULT answer(const Status& status, REFIID iid = __uuidof(Interface)) {
        return status ? S_OK : fail(status.error(), iid);
    }
    /// A method's outcome with a value: the host's failure, or the value
    /// converted into the out parameter (which is cleared first in any case).
    template <typename T, typename Out>
    HRESULT answer(Result<T> result, Out* out) {
        if (!out) return fail(E_POINTER);
        *out = Out{};
        if (!result) return fail(result.error());
        const HRESULT hr = Wrap(std::move(result).value(), out);
        return FAILED(hr) ? fail(hr) : hr;
    }

    /// Runs a method's body: nothing that the C++ side throws may cross into COM.
    template <typename Body>
    HRESULT guard(Body&& body) noexcept {
        try {
            return std::forward<Body>(body)();
        } catch (const std::bad_alloc&) {
            return fail(E_OUTOFMEMORY);
        } catch (...) {
            return fail(E_UNEXPECTED);
        }
    }

private:
    LONG refs_ = 1;
};

/// Hands out the first reference of a new `Object` as `out`.
template <typename Object, typename Interface, typename... Args>
HRESULT NewObject(Interface** out, Args&&... args) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) Object(std::forward<Args>(args)...);
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace quillet::simhost::com
