#pragma once

#include "platform/win32/ComPtr.h"

namespace quillet::test {

/// The slot of `pointer` for a COM call that returns an interface as void**
/// (QueryInterface, CreateInstance, DllGetClassObject).
template <typename Interface>
void** outVoid(quillet::win32::ComPtr<Interface>& pointer) {
    return reinterpret_cast<void**>(pointer.out());
}

}  // namespace quillet::test
