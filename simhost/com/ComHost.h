#pragma once

#include <windows.h>

#include "host/HostObjects.h"
#include "platform/HostApplicationClass.h"

// The C++ declarations that widl made from our IDL: ::Application, ...
#include "Publisher.h"

namespace quillet::simhost::com {

/// The stand-in host's COM server: the host's objects (the quillet host
/// interfaces, over the in-memory host or anything else that implements them)
/// served as the COM interfaces of Publisher.idl and Office.idl, to an add-in
/// in the same apartment.
///
/// Every object is dual: IDispatch is served from the registered type
/// libraries (RegisterHostTypeLibraries). A failing host operation returns the
/// host's number as the HRESULT (a positive run-time error number N becomes
/// 0x800A0000 + N) and sets the thread's error info: the host's description,
/// source "Publisher" or "Office", the GUID of the interface whose method
/// failed; ISupportErrorInfo answers S_OK for that interface. Objects that a
/// call returns are new COM objects over the host's objects; texts keep every
/// UTF-16 code unit.
///
/// A control (ToolbarControls::Add, ::get_Item) answers QueryInterface for
/// ToolbarButton by asking the host to view it as a button
/// ("ToolbarButton.query"): a refusal is E_NOINTERFACE, and the next query
/// asks again; once the host agreed, the object is a button and answers
/// without asking. The Ctrl of Click is a button from the start. A control
/// answers one identity (IUnknown) for both interfaces.
/// Once a button, it also offers IConnectionPointContainer with one
/// connection point for ToolbarButtonEvents {000C0351-...}: Advise takes a
/// sink that answers that interface or IDispatch, and holds it until Unadvise
/// (or until the button object is released); Click arrives as
/// IDispatch::Invoke(1, DISPATCH_METHOD) with rgvarg[1] = Ctrl (VT_DISPATCH,
/// the clicked button) and rgvarg[0] = CancelDefault (VT_BOOL | VT_BYREF).

/// The first reference of a new Application object over `application`.
HRESULT CreateComApplication(ApplicationRef application, ::Application** object);

/// Registers the stand-in type libraries that this program carries as
/// resources 1 (Office), 2 (Publisher) and 3 (AddInDesigner), as the host's
/// installation would: an add-in's own type library imports them, and its
/// IDispatch resolves their types through the registry. Idempotent.
HRESULT RegisterHostTypeLibraries();

/// Makes the running host's application creatable by its class
/// (CLSID_HostApplication, {0002123D-...}) as a running host does:
/// CoRegisterClassObject with CLSCTX_LOCAL_SERVER and REGCLS_MULTIPLEUSE,
/// which COM extends to CLSCTX_INPROC_SERVER inside this process, so
/// CoCreateInstance with CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER or
/// CLSCTX_SERVER from this apartment gets the object itself. Each creation
/// makes an Application object over host.create(), whose failure is the
/// creation's. `host` must outlive the registration; CoRevokeClassObject(*cookie)
/// ends it (CoUninitialize does too).
HRESULT RegisterApplicationClass(HostApplicationClass& host, DWORD* cookie);

}  // namespace quillet::simhost::com
