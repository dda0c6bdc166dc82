#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillet::test {

/// The ids of a module's resources of one type, in the module's order; a
/// resource with a name instead of an id shows as 0xFFFFFFFF.
std::vector<ULONG_PTR> resourceIds(HMODULE module, LPCWSTR type);

/// The languages in which a module holds one resource, in the module's order.
std::vector<WORD> resourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name);

/// RT_VERSION, which <windows.h> spells for the narrow API unless UNICODE is set.
inline const LPCWSTR kVersionResourceType = MAKEINTRESOURCEW(16);

}  // namespace quillet::test
