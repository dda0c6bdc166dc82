#include "host/com/ComApplicationClass.h"

#include <windows.h>

#include "host/com/ComBridge.h"
#include "host/com/HostRoles.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/ComPtr.h"

namespace quillet::com {

Result<ApplicationRef> ComApplicationClass::create() {
    win32::ComPtr<IDispatch> application;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = CoCreateInstance(kHostApplicationClass, nullptr, CLSCTX_SERVER, roles::kApplication.iid,
                                        reinterpret_cast<void**>(application.out()));
    if (FAILED(hr)) return win32::failureOf(hr);
    if (!application) return errors::objectNotSet();
    return bridgeApplication(std::move(application));
}

}  // namespace quillet::com
