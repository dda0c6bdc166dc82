// Quillet.dll's version resource, read both through the version API, as
// Explorer and installers read it, and as the raw block, whose key order the
// API does not show.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/windows/QuilletDll.h"
#include "tests/windows/ResourceProbe.h"

namespace quillet::test {
namespace {

/// One node of a version block (VS_VERSIONINFO, StringFileInfo, a string
/// table, a string, VarFileInfo, Var): a key, a value and the children, all in
/// the order in which the resource holds them.
struct VersionNode {
    std::wstring key;
    bool isText = false;
    std::wstring text;        // when isText
    std::vector<BYTE> bytes;  // otherwise
    std::vector<VersionNode> children;
};

size_t alignToFour(size_t offset) { return (offset + 3) & ~size_t{3}; }

/// Reads the node at `offset` in `block`, `size` bytes at most. Every part of a
/// node starts on a 32-bit boundary relative to the start of the block.
bool readNode(const BYTE* block, size_t offset, size_t size, VersionNode& node) {
    WORD header[3];
    if (size < sizeof(header)) return false;
    std::memcpy(header, block + offset, sizeof(header));
    const size_t length = header[0];
    const size_t valueLength = header[1];
    node.isText = header[2] == 1;
    if (length < sizeof(header) || length > size) return false;
    const size_t end = offset + length;

    size_t at = offset + sizeof(header);
    const auto* key = reinterpret_cast<const wchar_t*>(block + at);
    node.key.assign(key, wcsnlen(key, (end - at) / sizeof(wchar_t)));
    at = alignToFour(at + (node.key.size() + 1) * sizeof(wchar_t));

    // A text value's length counts characters, and windres counts its null.
    const size_t valueBytes = node.isText ? valueLength * sizeof(wchar_t) : valueLength;
    if (at + valueBytes > end) return false;
    if (node.isText) {
        const auto* text = reinterpret_cast<const wchar_t*>(block + at);
        node.text.assign(text, wcsnlen(text, valueLength));
    } else {
        node.bytes.assign(block + at, block + at + valueBytes);
    }
    at = alignToFour(at + valueBytes);

    while (at < end) {
        VersionNode child;
        if (!readNode(block, at, end - at, child)) return false;
        const size_t childLength = *reinterpret_cast<const WORD*>(block + at);
        node.children.push_back(std::move(child));
        at = alignToFour(at + childLength);
    }
    return true;
}

const VersionNode* Child(const VersionNode& node, const std::wstring& key) {
    for (const VersionNode& child : node.children)
        if (child.key == key) return &child;
    return nullptr;
}

class VersionResource : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dllLoaded());
        const DWORD size = GetFileVersionInfoSizeW(theDll().path.c_str(), nullptr);
        ASSERT_NE(0u, size);
        info_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(theDll().path.c_str(), 0, size, info_.data()));
    }

    std::wstring QueryText(const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(info_.data(), path.c_str(), &value, &length)) return L"<missing>";
        const auto* text = static_cast<const wchar_t*>(value);
        return std::wstring(text, wcsnlen(text, length));
    }

    std::vector<BYTE> info_;
};

TEST_F(VersionResource, IsResourceOneInUsEnglishOnly) {
    EXPECT_NE(nullptr, FindResourceExW(theDll().module, kVersionResourceType, MAKEINTRESOURCEW(1),
                                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
    EXPECT_EQ(std::vector<WORD>{0x0409},
              resourceLanguages(theDll().module, kVersionResourceType, MAKEINTRESOURCEW(1)));
    EXPECT_EQ(std::vector<ULONG_PTR>{1}, resourceIds(theDll().module, kVersionResourceType));
}

TEST_F(VersionResource, FixedPartNamesVersionOneZeroZeroOneOfAWin32Dll) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info_.data(), L"\\", &value, &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ(0u, fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);
}

TEST_F(VersionResource, StringsReadThroughTheVersionApi) {
    const std::wstring table = L"\\StringFileInfo\\040904B0\\";
    EXPECT_EQ(L"Quillet Developers", QueryText(table + L"CompanyName"));
    EXPECT_EQ(L"Quillet", QueryText(table + L"ProductName"));
    EXPECT_EQ(L"1.00.0001", QueryText(table + L"FileVersion"));
    EXPECT_EQ(L"1.00.0001", QueryText(table + L"ProductVersion"));
    EXPECT_EQ(L"Quillet", QueryText(table + L"InternalName"));
    EXPECT_EQ(L"Quillet.dll", QueryText(table + L"OriginalFilename"));
    // Present, though empty: it marks the DLL as self-registering.
    EXPECT_EQ(L"", QueryText(table + L"OLESelfRegister"));
}

TEST_F(VersionResource, TranslationIsUsEnglishInUtf16) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info_.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(2 * sizeof(WORD), length);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1200, translation[1]);
}

TEST_F(VersionResource, RawBlockHoldsOneStringTableWithItsKeysInOrder) {
    HRSRC found = FindResourceExW(theDll().module, kVersionResourceType, MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(nullptr, found);
    const auto* block = static_cast<const BYTE*>(LockResource(LoadResource(theDll().module, found)));
    ASSERT_NE(nullptr, block);
    VersionNode root;
    ASSERT_TRUE(readNode(block, 0, SizeofResource(theDll().module, found), root));
    EXPECT_EQ(L"VS_VERSION_INFO", root.key);
    EXPECT_EQ(sizeof(VS_FIXEDFILEINFO), root.bytes.size());

    ASSERT_EQ(2u, root.children.size());
    EXPECT_EQ(L"StringFileInfo", root.children[0].key);
    EXPECT_EQ(L"VarFileInfo", root.children[1].key);

    const VersionNode* strings = Child(root, L"StringFileInfo");
    ASSERT_NE(nullptr, strings);
    ASSERT_EQ(1u, strings->children.size());
    const VersionNode& table = strings->children[0];
    EXPECT_EQ(L"040904B0", table.key);

    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"CompanyName", L"Quillet Developers"},
        {L"ProductName", L"Quillet"},
        {L"FileVersion", L"1.00.0001"},
        {L"ProductVersion", L"1.00.0001"},
        {L"InternalName", L"Quillet"},
        {L"OriginalFilename", L"Quillet.dll"},
        {L"OLESelfRegister", L""},
    };
    std::vector<std::pair<std::wstring, std::wstring>> actual;
    for (const VersionNode& entry : table.children) {
        EXPECT_TRUE(entry.isText) << entry.key;
        actual.emplace_back(entry.key, entry.text);
    }
    EXPECT_EQ(expected, actual);

    const VersionNode* variables = Child(root, L"VarFileInfo");
    ASSERT_NE(nullptr, variables);
    ASSERT_EQ(1u, variables->children.size());
    EXPECT_EQ(L"Translation", variables->children[0].key);
    EXPECT_EQ((std::vector<BYTE>{0x09, 0x04, 0xB0, 0x04}), variables->children[0].bytes);
}

}  // namespace
}  // namespace quillet::test
