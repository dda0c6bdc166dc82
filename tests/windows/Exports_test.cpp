// Quillet.dll's export directory: the four COM exports under their plain
// names, ordinals 1 to 4 in alphabetical order, DllInstall after them, and
// nothing else.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/windows/QuilletDll.h"

namespace quillet::test {
namespace {

constexpr const char* kExports[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                    "DllUnregisterServer"};

const IMAGE_EXPORT_DIRECTORY* ExportDirectory(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (entry.VirtualAddress == 0) return nullptr;
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
}

class Exports : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dllLoaded()); }
};

TEST_F(Exports, OrdinalsOneToFourAreTheExportsInAlphabeticalOrder) {
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        const char* name = kExports[ordinal - 1];
        FARPROC byOrdinal = GetProcAddress(theDll().module, MAKEINTRESOURCEA(ordinal));
        ASSERT_NE(nullptr, byOrdinal) << "ordinal " << ordinal;
        EXPECT_EQ(GetProcAddress(theDll().module, name), byOrdinal) << "ordinal " << ordinal << " is not " << name;
    }
    EXPECT_EQ(GetProcAddress(theDll().module, "DllInstall"), GetProcAddress(theDll().module, MAKEINTRESOURCEA(5)));
    EXPECT_EQ(nullptr, GetProcAddress(theDll().module, MAKEINTRESOURCEA(6)));
}

TEST_F(Exports, DirectoryHoldsExactlyTheFiveUndecoratedNames) {
    const IMAGE_EXPORT_DIRECTORY* exports = ExportDirectory(theDll().module);
    ASSERT_NE(nullptr, exports);
    const auto* base = reinterpret_cast<const char*>(theDll().module);
    EXPECT_STREQ("Quillet.dll", base + exports->Name);
    EXPECT_EQ(1u, exports->Base);
    EXPECT_EQ(5u, exports->NumberOfFunctions);

    // The name table is sorted; DllInstall, the fifth ordinal, sorts third.
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    const auto* ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    std::vector<std::pair<std::string, DWORD>> actual;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) actual.emplace_back(base + names[i], ordinals[i] + exports->Base);
    const std::vector<std::pair<std::string, DWORD>> expected = {{"DllCanUnloadNow", 1},
                                                                 {"DllGetClassObject", 2},
                                                                 {"DllInstall", 5},
                                                                 {"DllRegisterServer", 3},
                                                                 {"DllUnregisterServer", 4}};
    EXPECT_EQ(expected, actual);
}

}  // namespace
}  // namespace quillet::test
