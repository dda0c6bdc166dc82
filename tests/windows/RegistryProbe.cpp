#include "tests/windows/RegistryProbe.h"

#include <objbase.h>

#include <algorithm>

namespace quillet::test {
namespace {

class OpenKey {
public:
    OpenKey(HKEY root, const std::wstring& key) {
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

bool keyExists(HKEY root, const std::wstring& key) { return OpenKey(root, key).get() != nullptr; }

std::optional<std::wstring> readText(HKEY root, const std::wstring& key, const std::wstring& name) {
    OpenKey open(root, key);
    if (!open.get()) return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(open.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ) return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(open.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<DWORD> readNumber(HKEY root, const std::wstring& key, const std::wstring& name) {
    OpenKey open(root, key);
    if (!open.get()) return std::nullopt;
    DWORD type = 0;
    DWORD number = 0;
    DWORD bytes = sizeof(number);
    if (RegQueryValueExW(open.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_DWORD) return std::nullopt;
    return number;
}

std::vector<std::wstring> valueNames(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    OpenKey open(root, key);
    if (!open.get()) return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD length = ARRAYSIZE(name);
        if (RegEnumValueW(open.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::wstring> subkeyNames(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    OpenKey open(root, key);
    if (!open.get()) return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(open.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring guidText(REFGUID guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

}  // namespace quillet::test
