#include "platform/win32/DispatchMembers.h"

namespace quillet::win32 {

HRESULT checkArguments(WORD kinds, UINT required, UINT accepted, const DISPPARAMS& arguments) {
    if (arguments.cArgs != 0 && !arguments.rgvarg) return E_INVALIDARG;
    if (kinds & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (arguments.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        if (arguments.cNamedArgs != 1 || !arguments.rgdispidNamedArgs ||
            arguments.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
        return S_OK;
    }
    if (arguments.cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (arguments.cArgs < required || arguments.cArgs > accepted) return DISP_E_BADPARAMCOUNT;
    return S_OK;
}

}  // namespace quillet::win32
