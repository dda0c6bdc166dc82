#include "simhost/com/Face.h"

#include <cstdio>
#include <iostream>
#include <utility>

namespace quillet::simhost::com {

namespace {

CallsServed& served() {
    static CallsServed calls;
    return calls;
}

double ticksPerSecond() {
    static const double ticks = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    return ticks;
}

}  // namespace

const CallsServed& servedCalls() { return served(); }

/// A slot past IDispatch. It may have been called with any arguments; since
/// it never returns, how many the caller pushed does not matter.
using CaughtSlot = void(STDMETHODCALLTYPE*)(Face* face);

struct Face::Table {
    HRESULT(STDMETHODCALLTYPE* queryInterface)(Face*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* addRef)(Face*);
    ULONG(STDMETHODCALLTYPE* release)(Face*);
    HRESULT(STDMETHODCALLTYPE* getTypeInfoCount)(Face*, UINT*);
    HRESULT(STDMETHODCALLTYPE* getTypeInfo)(Face*, UINT, LCID, ITypeInfo**);
    HRESULT(STDMETHODCALLTYPE* getIDsOfNames)(Face*, REFIID, LPOLESTR*, UINT, LCID, DISPID*);
    HRESULT(STDMETHODCALLTYPE* invoke)(Face*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*);
    CaughtSlot pastDispatch[kCaughtSlots];
};

struct FaceCalls {
    static HRESULT STDMETHODCALLTYPE queryInterface(Face* face, REFIID iid, void** object) {
        ++served().queryInterface;
        return face->owner_.queryInterface(iid, object);
    }
    static ULONG STDMETHODCALLTYPE addRef(Face* face) { return face->owner_.addRef(); }
    static ULONG STDMETHODCALLTYPE release(Face* face) { return face->owner_.release(); }
    /// The host publishes names, not type information.
    static HRESULT STDMETHODCALLTYPE getTypeInfoCount(Face*, UINT* count) {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    static HRESULT STDMETHODCALLTYPE getTypeInfo(Face*, UINT, LCID, ITypeInfo** info) {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    static HRESULT STDMETHODCALLTYPE getIDsOfNames(Face* face, REFIID iid, LPOLESTR* names, UINT count, LCID,
                                                   DISPID* ids) {
        ++served().getIDsOfNames;
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        const HRESULT hr = face->owner_.getIDsOfNames(iid, names, count, ids);
        QueryPerformanceCounter(&end);
        served().secondsInGetIDsOfNames += static_cast<double>(end.QuadPart - start.QuadPart) / ticksPerSecond();
        return hr;
    }
    static HRESULT STDMETHODCALLTYPE invoke(Face* face, DISPID member, REFIID iid, LCID, WORD flags,
                                            DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                            UINT* argumentError) {
        ++served().invoke;
        return face->owner_.invoke(member, iid, flags, params, result, exception, argumentError);
    }

    template <unsigned Slot>
    static void STDMETHODCALLTYPE caught(Face* face) {
        // What the run printed so far stays; then the run ends here, before
        // the add-in can take whatever this slot would answer for something.
        std::cout.flush();
        std::fflush(nullptr);
        std::fprintf(stderr,
                     "simhost: the add-in called slot %u of the %ls interface, past IDispatch's seven slots. The "
                     "host publishes its members by name only: call them through IDispatch::GetIDsOfNames and "
                     "Invoke.\n",
                     Slot, face->role_);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), kCalledPastDispatch);
    }

    template <unsigned... Past>
    static constexpr Face::Table table(std::integer_sequence<unsigned, Past...>) {
        return {&queryInterface, &addRef, &release, &getTypeInfoCount, &getTypeInfo, &getIDsOfNames, &invoke,
                {&caught<7 + Past>...}};
    }

    static const Face::Table kTable;
};

const Face::Table FaceCalls::kTable = FaceCalls::table(std::make_integer_sequence<unsigned, kCaughtSlots>());

Face::Face(FaceOwner& owner, const wchar_t* role) : table_(&FaceCalls::kTable), owner_(owner), role_(role) {}

}  // namespace quillet::simhost::com
