#include "tests/windows/ResourceProbe.h"

namespace quillet::test {
namespace {

constexpr ULONG_PTR kNamedResource = 0xFFFFFFFF;

BOOL CALLBACK CollectId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
        IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : kNamedResource);
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
    return TRUE;
}

}  // namespace

std::vector<ULONG_PTR> resourceIds(HMODULE module, LPCWSTR type) {
    std::vector<ULONG_PTR> ids;
    EnumResourceNamesW(module, type, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

std::vector<WORD> resourceLanguages(HMODULE module, LPCWSTR type, LPCWSTR name) {
    std::vector<WORD> languages;
    EnumResourceLanguagesW(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

}  // namespace quillet::test
