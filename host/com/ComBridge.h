#pragma once

#include <windows.h>

#include "host/CommandBars.h"
#include "host/HostObjects.h"

// The C++ declarations that widl made from our IDL: ::Application, ::ToolbarButton, ...
#include "Publisher.h"

namespace quillet::com {

/// The add-in's host interfaces served over the host's COM objects. Each
/// failing call becomes a failure with the HRESULT as its number and the
/// description from the host's error info; a call that succeeds without
/// giving the object it should is a call through an empty reference.

ApplicationRef bridgeApplication(::Application* application);
ToolbarButtonRef bridgeButton(::ToolbarButton* button);

/// The COM object behind an object that the bridge made; null for anything else.
::Application* comApplication(const ApplicationRef& application);
::ToolbarButton* comButton(const ToolbarButtonRef& button);

/// The failure that a failing HRESULT stands for, with the thread's error info.
RaisedError failureOf(HRESULT hr);

}  // namespace quillet::com
