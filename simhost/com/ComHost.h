#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>

#include "host/HostObject.h"
#include "host/HostObjects.h"
#include "host/HostApplicationClass.h"
#include "simhost/memory/HostCapabilities.h"

namespace quillet::simhost::com {

/// The stand-in host's COM server: the host's objects (the quillet host
/// interfaces, over the in-memory host or anything else that implements them)
/// served to an add-in in the same apartment the way a real host serves
/// them: by member name only (HOST-AUTOMATION's names: ActiveDocument,
/// CommandBars, Pages, Item, ...), with the run's DISPIDs (Dialect.h), and
/// through pointers that have no callable slot past IDispatch (Face.h). No
/// type information is published. A member that only some hosts have exists
/// only where the host offers it (offerMembers): elsewhere its name is
/// unknown to GetIDsOfNames, as in an older host.
///
/// Each object answers QueryInterface for IUnknown, IDispatch and its role's
/// interface (HostRoles.h). A failing host operation makes Invoke answer
/// DISP_E_EXCEPTION, its EXCEPINFO holding the host's number as scode (a
/// positive run-time error number N as 0x800A0000 + N), source "Publisher"
/// or "Office", and the host's description. Objects that a call returns are
/// new COM objects over the host's objects, as VT_DISPATCH, except a
/// publication: while its COM object lives, the host's publication object
/// gets that one again, as a host hands out one object per open document
/// (unless the host itself hands out a new publication object at every call,
/// HostCapabilities::samePublicationObject). Texts keep every UTF-16 code
/// unit.
///
/// A control answers the ToolbarButton role by asking the host to view it as
/// a button ("ToolbarButton.query"): a refusal is E_NOINTERFACE, and the next
/// query asks again; once the host agreed, the control is a button. Once a
/// button, it also offers IConnectionPointContainer with one connection point
/// for the button events {000C0351-...}: Advise takes a sink that answers
/// that interface or IDispatch, and holds it until Unadvise (or until the
/// button object is released); Click arrives as IDispatch::Invoke(1,
/// DISPATCH_METHOD) with rgvarg[1] = Ctrl (VT_DISPATCH, the clicked button)
/// and rgvarg[0] = CancelDefault (VT_BOOL | VT_BYREF).

/// What the run's host offers beyond the members that every version has
/// (ScreenUpdating, the undo groups, PageIndex, Shapes and what they lead
/// to): a member that it does not offer is not published at all, so that
/// looked up by name it is an unknown name, as in an older host. Until this
/// is called, everything.
void offerMembers(const HostCapabilities& offered);

/// The first reference of a new application object over `application`.
HRESULT createComApplication(ApplicationRef application, IDispatch** object);

/// The application object as the host passes it at connection: it answers
/// the Application role only when `host` does (HostObject::queryApplication),
/// which is where a host refuses it ("Application.query").
HRESULT createConnectingApplication(std::shared_ptr<HostObject> host, ApplicationRef application,
                                    IDispatch** object);

/// Makes the running host's application creatable by its class
/// ({0002123D-...}) as a running host does: CoRegisterClassObject with
/// CLSCTX_LOCAL_SERVER and REGCLS_MULTIPLEUSE, which COM extends to
/// CLSCTX_INPROC_SERVER inside this process, so CoCreateInstance with
/// CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER or CLSCTX_SERVER from this
/// apartment gets the object itself. Each creation makes an application
/// object over host.create(), whose failure is the creation's. `host` must
/// outlive the registration; CoRevokeClassObject(*cookie) ends it
/// (CoUninitialize does too).
HRESULT registerApplicationClass(HostApplicationClass& host, DWORD* cookie);

}  // namespace quillet::simhost::com
