#pragma once

#include <windows.h>
#include <oaidl.h>

#include "host/CommandBars.h"
#include "host/HostObjects.h"
#include "platform/win32/ComPtr.h"

namespace quillet::com {

/// The add-in's host interfaces served over the host's COM objects, every
/// call late-bound by the member's published name (LateBinding.h). Each
/// object that a call returns is asked for its role's interface and used as
/// an IDispatch; a failing call gives the host's number and description.

/// `application` and `button` are already in their roles (inRole).
ApplicationRef bridgeApplication(win32::ComPtr<IDispatch> application);
ToolbarButtonRef bridgeButton(win32::ComPtr<IDispatch> button);

/// The COM object behind an object that the bridge made; null for anything else.
IDispatch* comApplication(const ApplicationRef& application);
IDispatch* comButton(const ToolbarButtonRef& button);

}  // namespace quillet::com
