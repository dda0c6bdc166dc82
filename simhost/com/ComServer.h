#pragma once

// What the COM objects of the stand-in host share: the base that publishes an
// object's members by name, one call of a member, and the wrappers'
// constructors. Private to simhost/com.

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/CommandBars.h"
#include "host/HostObjects.h"
#include "host/com/HostRoles.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/DispatchNames.h"
#include "simhost/com/Dialect.h"
#include "simhost/com/Face.h"
#include "simhost/memory/HostCapabilities.h"

namespace quillet::simhost::com {

using quillet::com::Role;
using win32::ComPtr;
namespace roles = quillet::com::roles;

/// The library that an object belongs to; it names the source of its failures.
enum class HostLibrary { Office, Publisher };

/// What the run's host offers beyond every version's members (OfferMembers, ComHost.h).
const HostCapabilities& OfferedMembers();

/// The HRESULT that a failure's number stands for: a host failure's number is
/// already one; a small positive run-time error number becomes the HRESULT
/// that automation gives it (0x800A0000 + number), so that it stays a failure.
HRESULT ResultOf(int32_t number);

// The wrappers: each hands out the identity of a new COM object over the
// host's object. One overload per host interface, so that Invocation::answer
// picks the wrapper by the type of the host's object.
HRESULT Wrap(ApplicationRef object, IDispatch** out);
HRESULT Wrap(PublicationRef object, IDispatch** out);
HRESULT Wrap(PageCollectionRef object, IDispatch** out);
HRESULT Wrap(PageRef object, IDispatch** out);
HRESULT Wrap(PublicationViewRef object, IDispatch** out);
HRESULT Wrap(StoryCollectionRef object, IDispatch** out);
HRESULT Wrap(StoryRef object, IDispatch** out);
HRESULT Wrap(TextSpanRef object, IDispatch** out);
HRESULT Wrap(PublicationSelectionRef object, IDispatch** out);
HRESULT Wrap(ToolbarCollectionRef object, IDispatch** out);
HRESULT Wrap(ToolbarRef object, IDispatch** out);
HRESULT Wrap(ToolbarControlsRef object, IDispatch** out);
/// A control: it answers the ToolbarButton role only when the host agrees to view it as one.
HRESULT Wrap(ToolbarControlRef object, IDispatch** out);
/// A control that is known to be a button.
HRESULT Wrap(ToolbarButtonRef object, IDispatch** out);

/// One call of a member through Invoke: its arguments in the order that the
/// member declares them, and its answer. A host failure makes Invoke answer
/// DISP_E_EXCEPTION with the failure in its EXCEPINFO.
class Invocation {
public:
    Invocation(const DISPPARAMS& params, VARIANT* result, UINT* argumentError)
        : params_(params), result_(result), argumentError_(argumentError) {}

    /// Whether the argument at `position` was given: passed, and not an
    /// optional argument left out.
    bool given(UINT position) const;
    /// The argument at `position` as a text, a number, a Boolean or an object
    /// (null for Nothing); DISP_E_TYPEMISMATCH when it cannot be one.
    HRESULT text(UINT position, std::u16string* value);
    HRESULT number(UINT position, int32_t* value);
    HRESULT boolean(UINT position, bool* value);
    HRESULT object(UINT position, ComPtr<IDispatch>* value);

    /// The member's outcome: the host's failure, or success with its value.
    HRESULT answer(const Status& status);
    HRESULT answer(const Result<std::u16string>& text);
    HRESULT answer(const Result<int32_t>& number);
    HRESULT answer(const Result<bool>& boolean);
    /// An object: a new COM object over it (see the Wrap overloads).
    template <typename T>
    HRESULT answer(Result<T> object) {
        if (!object) return fail(object.error());
        ComPtr<IDispatch> wrapped;
        if (HRESULT hr = Wrap(std::move(object).value(), wrapped.out()); FAILED(hr)) return hr;
        return answerObject(std::move(wrapped));
    }
    HRESULT fail(const RaisedError& error);

    /// The failure that the member reported, if any.
    const std::optional<RaisedError>& failure() const { return failure_; }

private:
    /// The argument, a reference to a variant seen through; null when not passed.
    const VARIANT* argument(UINT position) const;
    HRESULT converted(UINT position, VARTYPE type, VARIANT* value);
    /// The argument at `position` does not fit: DISP_E_TYPEMISMATCH, naming it.
    HRESULT mismatch(UINT position);
    HRESULT answerObject(ComPtr<IDispatch> object);

    const DISPPARAMS& params_;
    VARIANT* result_;
    UINT* argumentError_;
    std::optional<RaisedError> failure_;
};

/// How a member is invoked: the flags of Invoke, or a way that the run's dialect chooses.
enum MemberKind : WORD {
    kGet = DISPATCH_PROPERTYGET,
    kMethod = DISPATCH_METHOD,
    kPut = DISPATCH_PROPERTYPUT,
    /// A page or story collection's Item: a method or a property get.
    kCollectionItem = 0x100,
    /// Setting the view's page: by value or by reference.
    kPageSetter = 0x200,
};

/// The flags of Invoke that a member of `kind` answers in this run.
WORD FlagsOf(MemberKind kind);

/// A member that a host object publishes by name.
template <typename Object>
struct Member {
    const wchar_t* name;
    MemberKind kind;
    /// The positional arguments it takes (a put's value not counted): at least, at most.
    UINT required;
    UINT accepted;
    HRESULT (Object::*body)(Invocation& call);
    /// The default member has DISPID 0 (DISPID_VALUE), in every run.
    bool isDefault = false;
    /// What the host must offer for the member to exist; none: every host has it.
    bool HostCapabilities::*offeredBy = nullptr;

    bool published() const { return offeredBy == nullptr || OfferedMembers().*offeredBy; }
};

/// Fills `exception` with `failure` (at once, or when the caller asks,
/// as the dialect says) and returns DISP_E_EXCEPTION; without an EXCEPINFO,
/// sets the thread's error info and returns the failure's HRESULT.
HRESULT RaiseException(const RaisedError& failure, HostLibrary library, EXCEPINFO* exception);

/// A host object that publishes its members by name only. It hands out faces
/// (Face.h), never a pointer with callable slots past IDispatch: one as its
/// IUnknown and IDispatch, one for its role. Its DISPIDs are the run's
/// (Dialect.h). Born with one reference, which its creator hands out.
template <typename Object>
class NamedObject : public FaceOwner {
public:
    NamedObject(const NamedObject&) = delete;
    NamedObject& operator=(const NamedObject&) = delete;

    /// The object as its IUnknown and IDispatch.
    IDispatch* identity() { return identity_.get(); }

    HRESULT queryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
            *object = identity_.get();
        else if (IsEqualIID(iid, role_.iid))
            *object = roleFace_.get();
        else if (HRESULT hr = otherInterface(iid, object); FAILED(hr))
            return hr;
        if (!*object) return E_NOINTERFACE;
        addRef();
        return S_OK;
    }
    ULONG addRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    HRESULT getIDsOfNames(REFIID, LPOLESTR* names, UINT count, DISPID* ids) override {
        const auto members = Object::members();
        std::vector<win32::NamedMember> named;
        named.reserve(members.size());
        for (size_t index = 0; index < members.size(); ++index) {
            if (members[index].published()) named.push_back({members[index].name, idOf(index)});
        }
        return win32::IdsOfNames(named, names, count, ids);
    }

    HRESULT invoke(DISPID id, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                   UINT* argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        DISPPARAMS none{};
        const DISPPARAMS& arguments = params ? *params : none;
        const auto members = Object::members();
        for (size_t index = 0; index < members.size(); ++index) {
            const Member<Object>& member = members[index];
            const WORD kinds = FlagsOf(member.kind);
            if (idOf(index) != id || !(kinds & flags) || !member.published()) continue;
            if (HRESULT hr = checkArguments(kinds, member, arguments); FAILED(hr)) return hr;
            if (result) VariantInit(result);
            Invocation call(arguments, kinds & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) ? nullptr : result,
                            argumentError);
            HRESULT hr = E_UNEXPECTED;
            try {
                hr = (static_cast<Object*>(this)->*member.body)(call);
            } catch (const std::bad_alloc&) {
                hr = E_OUTOFMEMORY;
            } catch (...) {
                hr = E_UNEXPECTED;
            }
            if (call.failure()) return RaiseException(*call.failure(), library_, exception);
            return hr;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

protected:
    NamedObject(const Role& role, HostLibrary library)
        : identity_(*this, L"IDispatch"), roleFace_(*this, role.name), role_(role), library_(library) {}
    virtual ~NamedObject() = default;

    /// Another interface that the object answers now, besides IUnknown,
    /// IDispatch and its role: set `*object` (not yet counted), or leave it
    /// null. A failure is the answer of QueryInterface.
    virtual HRESULT otherInterface(REFIID, void**) { return S_OK; }

private:
    /// Member `index`'s DISPID in this run: members of one name share it,
    /// members of different names never do.
    DISPID idOf(size_t index) const { return ids()[index]; }

    /// The DISPIDs of the members, by index: drawn once for each role and
    /// run, as a host looks its names up in a table of its own.
    const std::vector<DISPID>& ids() const {
        static std::map<std::pair<const wchar_t*, uint32_t>, std::vector<DISPID>> drawn;
        std::vector<DISPID>& table = drawn[{role_.name, TheDialect().seed}];
        if (table.empty()) table = drawIds();
        return table;
    }

    std::vector<DISPID> drawIds() const {
        const auto members = Object::members();
        std::vector<DISPID> ids;
        ids.reserve(members.size());
        for (size_t index = 0; index < members.size(); ++index) ids.push_back(drawId(members, index, ids));
        return ids;
    }

    /// The DISPID of member `index`, given those of the members before it.
    DISPID drawId(std::span<const Member<Object>> members, size_t index, const std::vector<DISPID>& earlier) const {
        if (members[index].isDefault) return DISPID_VALUE;
        for (size_t before = 0; before < index; ++before) {
            if (CompareStringOrdinal(members[before].name, -1, members[index].name, -1, TRUE) == CSTR_EQUAL)
                return earlier[before];
        }
        DISPID id = TheDialect().dispid(role_.name, members[index].name);
        while (std::find(earlier.begin(), earlier.end(), id) != earlier.end()) ++id;
        return id;
    }

    static HRESULT checkArguments(WORD kinds, const Member<Object>& member, const DISPPARAMS& arguments) {
        if (kinds & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            // The value, as the one named argument DISPID_PROPERTYPUT.
            if (arguments.cArgs != 1 || arguments.cNamedArgs != 1 || !arguments.rgdispidNamedArgs ||
                arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return DISP_E_PARAMNOTOPTIONAL;
            return S_OK;
        }
        if (arguments.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (arguments.cArgs < member.required || arguments.cArgs > member.accepted) return DISP_E_BADPARAMCOUNT;
        if (arguments.cArgs != 0 && !arguments.rgvarg) return E_INVALIDARG;
        return S_OK;
    }

    Face identity_;
    Face roleFace_;
    const Role& role_;
    HostLibrary library_;
    LONG refs_ = 1;
};

/// Hands out the identity of a new `Object` as `out`.
template <typename Object, typename... Args>
HRESULT NewObject(IDispatch** out, Args&&... args) {
    if (!out) return E_POINTER;
    Object* object = new (std::nothrow) Object(std::forward<Args>(args)...);
    *out = object ? object->identity() : nullptr;
    return object ? S_OK : E_OUTOFMEMORY;
}

/// The host's page behind one of our own page objects; null for any other
/// object (a page of another host, say).
PageRef HostPageOf(IDispatch* page);

}  // namespace quillet::simhost::com
