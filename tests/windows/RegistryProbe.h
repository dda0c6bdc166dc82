#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quillet::test {

/// Read-only looks into the registry, for comparing what registration wrote.
/// A missing key or value reads as nullopt or an empty list.

bool keyExists(HKEY root, const std::wstring& key);

/// A REG_SZ value; nullopt when it is missing or of another type. An empty
/// `name` reads the key's default value.
std::optional<std::wstring> readText(HKEY root, const std::wstring& key, const std::wstring& name = {});

/// A REG_DWORD value; nullopt when it is missing or of another type.
std::optional<DWORD> readNumber(HKEY root, const std::wstring& key, const std::wstring& name);

/// The names of the key's values, sorted; the default value, when set, is "".
std::vector<std::wstring> valueNames(HKEY root, const std::wstring& key);

/// The names of the key's direct subkeys, sorted.
std::vector<std::wstring> subkeyNames(HKEY root, const std::wstring& key);

/// The GUID in registry form, "{XXXXXXXX-...}".
std::wstring guidText(REFGUID guid);

/// Case-insensitive comparison, as Windows compares paths and key names.
bool sameText(const std::wstring& a, const std::wstring& b);

}  // namespace quillet::test
