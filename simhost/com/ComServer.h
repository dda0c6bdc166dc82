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
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/CommandBars.h"
#include "host/HostObjects.h"
#include "host/com/HostRoles.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/DispatchMembers.h"
#include "platform/win32/Invocation.h"
#include "platform/win32/Variant.h"
#include "simhost/com/Dialect.h"
#include "simhost/com/Face.h"
#include "simhost/memory/HostCapabilities.h"

namespace quillet::simhost::com {

using quillet::com::Role;
using win32::ComPtr;
namespace roles = quillet::com::roles;

/// The library that an object belongs to; it names the source of its failures.
enum class HostLibrary { Office, Publisher };

/// What the run's host offers beyond every version's members (offerMembers, ComHost.h).
const HostCapabilities& offeredMembers();

/// The HRESULT that a failure's number stands for: a host failure's number is
/// already one; a small positive run-time error number becomes the HRESULT
/// that automation gives it (0x800A0000 + number), so that it stays a failure.
HRESULT resultOf(int32_t number);

// The wrappers: each hands out the identity of a new COM object over the
// host's object. One overload per host interface, so that HostCall::answer
// picks the wrapper by the type of the host's object.
HRESULT wrap(ApplicationRef object, IDispatch** out);
HRESULT wrap(PublicationRef object, IDispatch** out);
HRESULT wrap(PageCollectionRef object, IDispatch** out);
HRESULT wrap(PageRef object, IDispatch** out);
HRESULT wrap(ShapeCollectionRef object, IDispatch** out);
HRESULT wrap(ShapeRef object, IDispatch** out);
HRESULT wrap(TextFrameRef object, IDispatch** out);
HRESULT wrap(PublicationViewRef object, IDispatch** out);
HRESULT wrap(StoryCollectionRef object, IDispatch** out);
HRESULT wrap(StoryRef object, IDispatch** out);
HRESULT wrap(TextSpanRef object, IDispatch** out);
HRESULT wrap(PublicationSelectionRef object, IDispatch** out);
HRESULT wrap(ToolbarCollectionRef object, IDispatch** out);
HRESULT wrap(ToolbarRef object, IDispatch** out);
HRESULT wrap(ToolbarControlsRef object, IDispatch** out);
/// A control: it answers the ToolbarButton role only when the host agrees to view it as one.
HRESULT wrap(ToolbarControlRef object, IDispatch** out);
/// A control that is known to be a button.
HRESULT wrap(ToolbarButtonRef object, IDispatch** out);

/// One call of a host object's member: the arguments as every object of
/// ours reads them, and answers in the host's values. A host failure makes
/// Invoke answer DISP_E_EXCEPTION with the failure in its EXCEPINFO.
class HostCall : public win32::Invocation {
public:
    using Invocation::Invocation;
    using Invocation::answer;

    /// The member's outcome: the host's failure, or success with its value.
    HRESULT answer(const Status& status);
    HRESULT answer(const Result<std::u16string>& text);
    HRESULT answer(const Result<int32_t>& number);
    HRESULT answer(const Result<bool>& boolean);
    /// An object: a new COM object over it (see the wrap overloads).
    template <typename T>
    HRESULT answer(Result<T> object) {
        if (!object) return fail(object.error());
        ComPtr<IDispatch> wrapped;
        if (HRESULT hr = wrap(std::move(object).value(), wrapped.out()); FAILED(hr)) return hr;
        return answer(win32::Variant::object(wrapped.get()));
    }
    HRESULT fail(const RaisedError& error);

    /// Calls `method` of `host` with the arguments, read in the types of its
    /// parameters (texts, numbers, Booleans), and answers its outcome.
    template <typename Interface, typename Outcome, typename... Parameters>
    HRESULT forward(Interface& host, Outcome (Interface::*method)(Parameters...)) {
        return forward(host, method, std::index_sequence_for<Parameters...>());
    }

    /// The failure that the member reported, if any.
    const std::optional<RaisedError>& failure() const { return failure_; }

private:
    template <typename Interface, typename Outcome, typename... Parameters, size_t... positions>
    HRESULT forward(Interface& host, Outcome (Interface::*method)(Parameters...), std::index_sequence<positions...>) {
        std::tuple<std::decay_t<Parameters>...> arguments;
        HRESULT hr = S_OK;
        // In order: the first argument that does not fit is the one named.
        ((hr = SUCCEEDED(hr) ? read(positions, std::get<positions>(arguments)) : hr), ...);
        if (FAILED(hr)) return hr;
        return answer((host.*method)(std::get<positions>(arguments)...));
    }
    HRESULT read(UINT position, std::u16string& value) { return text(position, &value); }
    HRESULT read(UINT position, int32_t& value) { return number(position, &value); }
    HRESULT read(UINT position, bool& value) { return boolean(position, &value); }

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
WORD flagsOf(MemberKind kind);

/// A member that a host object publishes by name.
template <typename Object>
struct Member {
    const wchar_t* name;
    MemberKind kind;
    /// The positional arguments it takes (a put's value not counted): at least, at most.
    UINT required;
    UINT accepted;
    HRESULT (*body)(Object& object, HostCall& call);
    /// The default member has DISPID 0 (DISPID_VALUE), in every run.
    bool isDefault = false;
    /// What the host must offer for the member to exist; none: every host has it.
    bool HostCapabilities::*offeredBy = nullptr;

    bool published() const { return offeredBy == nullptr || offeredMembers().*offeredBy; }
};

/// A member's body that only passes the call on to `method` of the host's
/// object behind (object.host()), as HostCall::forward does.
template <auto method, typename Object>
HRESULT answeredBy(Object& object, HostCall& call) {
    return call.forward(object.host(), method);
}

/// Fills `exception` with `failure` (at once, or when the caller asks,
/// as the dialect says) and returns DISP_E_EXCEPTION; without an EXCEPINFO,
/// sets the thread's error info and returns the failure's HRESULT.
HRESULT raiseException(const RaisedError& failure, HostLibrary library, EXCEPINFO* exception);

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
        return win32::idsOfNames(named, names, count, ids);
    }

    HRESULT invoke(DISPID id, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                   UINT* argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const auto members = Object::members();
        for (size_t index = 0; index < members.size(); ++index) {
            const Member<Object>& member = members[index];
            const WORD kinds = flagsOf(member.kind);
            if (idOf(index) != id || !(kinds & flags) || !member.published()) continue;
            return win32::callMember<HostCall>(
                kinds, member.required, member.accepted, params, result, argumentError, [&](HostCall& call) {
                    const HRESULT hr = member.body(static_cast<Object&>(*this), call);
                    return call.failure() ? raiseException(*call.failure(), library_, exception) : hr;
                });
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
        std::vector<DISPID>& table = drawn[{role_.name, theDialect().seed}];
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
            if (win32::sameName(members[before].name, members[index].name)) return earlier[before];
        }
        DISPID id = theDialect().dispid(role_.name, members[index].name);
        while (std::find(earlier.begin(), earlier.end(), id) != earlier.end()) ++id;
        return id;
    }

    Face identity_;
    Face roleFace_;
    const Role& role_;
    HostLibrary library_;
    LONG refs_ = 1;
};

/// A host object that publishes nothing but its members:
/// PlainObject<Interface>::members() lists them, beside the object's wrap().
template <typename Interface>
class PlainObject final : public NamedObject<PlainObject<Interface>> {
public:
    PlainObject(std::shared_ptr<Interface> host, const Role& role, HostLibrary library)
        : NamedObject<PlainObject>(role, library), host_(std::move(host)) {}

    Interface& host() { return *host_; }
    static std::span<const Member<PlainObject>> members();

private:
    std::shared_ptr<Interface> host_;
};

/// Hands out the identity of a new `Object` as `out`.
template <typename Object, typename... Args>
HRESULT newObject(IDispatch** out, Args&&... args) {
    if (!out) return E_POINTER;
    Object* object = new (std::nothrow) Object(std::forward<Args>(args)...);
    *out = object ? object->identity() : nullptr;
    return object ? S_OK : E_OUTOFMEMORY;
}

/// The host's page behind one of our own page objects; null for any other
/// object (a page of another host, say).
PageRef hostPageOf(IDispatch* page);

}  // namespace quillet::simhost::com
