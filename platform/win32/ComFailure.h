#pragma once

#include <windows.h>
#include <oaidl.h>

#include "base/RaisedError.h"

namespace quillet::win32 {

/// The failure that a failing HRESULT stands for, described by the system's
/// message for it ("Automation error" when the system has none).
RaisedError systemFailure(HRESULT hr);

/// The same, but described by the thread's error info when the call that
/// failed has just set one. Clear the error info before such a call
/// (SetErrorInfo(0, nullptr)), so that an older one is never taken for it.
RaisedError failureOf(HRESULT hr);

/// The failure that IDispatch::Invoke reported as DISP_E_EXCEPTION: filled in
/// first when the callee deferred it; `scode` as the number, or when that is 0
/// the `wCode` as an automation HRESULT (0x800A0000 + wCode);
/// `bstrDescription` as the description. Frees the exception's strings.
RaisedError failureOf(EXCEPINFO& exception);

}  // namespace quillet::win32
