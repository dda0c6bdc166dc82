#pragma once

#include <windows.h>
#include <oaidl.h>

namespace quillet::simhost::com {

/// What a face forwards IUnknown and IDispatch to: the host object behind it.
class FaceOwner {
public:
    virtual HRESULT queryInterface(REFIID iid, void** object) = 0;
    virtual ULONG addRef() = 0;
    virtual ULONG release() = 0;
    virtual HRESULT getIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) = 0;
    virtual HRESULT invoke(DISPID member, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argumentError) = 0;

protected:
    ~FaceOwner() = default;
};

/// A pointer that a host object hands out, as its IUnknown and IDispatch or
/// for one of its roles. Its vtable has IDispatch's seven slots and, past
/// them, only slots that end the run with a message naming the slot and the
/// role: the host publishes no layout past IDispatch, so an add-in that calls
/// one relies on a layout of its own and would call the wrong method in a
/// real host.
class Face {
public:
    /// `role` names the face in that message ("Application"; "IDispatch" for the identity).
    Face(FaceOwner& owner, const wchar_t* role);
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    IDispatch* get() { return reinterpret_cast<IDispatch*>(this); }

private:
    struct Table;
    friend struct FaceCalls;

    // The vtable pointer comes first, as COM lays an object out.
    const Table* table_;
    FaceOwner& owner_;
    const wchar_t* role_;
};

/// How many calls the host's objects have answered through their faces in
/// this run, and how long the host took to look names up: what an add-in
/// costs the host, for the benchmarks.
struct CallsServed {
    long long queryInterface = 0;
    long long getIDsOfNames = 0;
    long long invoke = 0;
    double secondsInGetIDsOfNames = 0;
};
const CallsServed& servedCalls();

/// How many slots past IDispatch a face catches. A call beyond them reads past its vtable.
inline constexpr unsigned kCaughtSlots = 256;

/// The exit status of a run that a call past IDispatch ended.
inline constexpr int kCalledPastDispatch = 3;

}  // namespace quillet::simhost::com
