#include "packaging/Registration.h"

#include <oleauto.h>

#include <string>

#include "Quillet.h"
#include "addin/win32/ComponentInstance.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/RegistryKey.h"

namespace quillet::win32 {
namespace {

constexpr WORD kLibraryMajor = 1;
constexpr WORD kLibraryMinor = 0;
constexpr LCID kLibraryLcid = 0;

/// The keys that the component owns outright. Each is removed whole on
/// unregistration, so anything a later tool added below them goes too.
enum class Tree {
    Class,   // HKCR\CLSID\{Connect}
    ProgId,  // HKCR\TarnwickFindReplace.Connect
    AddIn,   // the host's add-in entry, in the current user's hive only
};

// In order of removal; registration writes them the other way round.
constexpr Tree kTreesToRemove[] = {Tree::AddIn, Tree::ProgId, Tree::Class};

enum class Data {
    Text,        // `text`
    Number,      // `number`, as a DWORD
    ModulePath,  // the DLL's full path, as the loader knows it
    ClassId,     // CLSID_Connect in registry form
    LibraryId,   // LIBID_TarnwickFindReplace in registry form
};

struct RegistryValue {
    Tree tree;
    const wchar_t* subkey;  // below the tree's key; nullptr for the key itself
    const wchar_t* name;    // nullptr for the key's default value
    Data data;
    const wchar_t* text = nullptr;
    DWORD number = 0;
};

constexpr const wchar_t kProgId[] = L"TarnwickFindReplace.Connect";

constexpr RegistryValue kRegistry[] = {
    {Tree::Class, nullptr, nullptr, Data::Text, kProgId},
    {Tree::Class, L"InprocServer32", nullptr, Data::ModulePath},
    // Every call arrives on the host's user-interface thread, an STA.
    {Tree::Class, L"InprocServer32", L"ThreadingModel", Data::Text, L"Apartment"},
    {Tree::Class, L"ProgID", nullptr, Data::Text, kProgId},
    {Tree::Class, L"TypeLib", nullptr, Data::LibraryId},
    {Tree::Class, L"Version", nullptr, Data::Text, L"1.0"},
    {Tree::ProgId, nullptr, nullptr, Data::Text, kProgId},
    {Tree::ProgId, L"CLSID", nullptr, Data::ClassId},
    {Tree::AddIn, nullptr, L"FriendlyName", Data::Text, L"Tarnwick Find/Replace Add-in"},
    {Tree::AddIn, nullptr, L"Description", Data::Text,
     L"This add-in lets you search and replace across an entire publication rather than just a single "
     L"story using Publisher 2002."},
    // 3: the host loads and connects the add-in every time it starts.
    {Tree::AddIn, nullptr, L"LoadBehavior", Data::Number, nullptr, 3},
    // 0: the add-in shows windows, so it is not for a host started without them.
    {Tree::AddIn, nullptr, L"CommandLineSafe", Data::Number, nullptr, 0},
};

using win32::RegistryKey;

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

HKEY TreeRoot(Tree tree) { return tree == Tree::AddIn ? HKEY_CURRENT_USER : HKEY_CLASSES_ROOT; }

std::wstring TreePath(Tree tree) {
    switch (tree) {
    case Tree::Class:
        return L"CLSID\\" + GuidText(CLSID_Connect);
    case Tree::ProgId:
        return kProgId;
    case Tree::AddIn:
        return std::wstring(L"Software\\Microsoft\\Office\\Publisher\\Addins\\") + kProgId;
    }
    return {};
}

/// The DLL's full path.
HRESULT ModulePath(std::wstring& path) {
    path = win32::ModulePath(ComponentModule());
    return path.empty() ? HRESULT_FROM_WIN32(GetLastError()) : S_OK;
}

HRESULT WriteValue(const RegistryValue& value, const std::wstring& modulePath) {
    std::wstring keyPath = TreePath(value.tree);
    if (value.subkey) keyPath.append(L"\\").append(value.subkey);

    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(TreeRoot(value.tree), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.out(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);

    if (value.data == Data::Number) {
        status = RegSetValueExW(key.get(), value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                sizeof(value.number));
        return HRESULT_FROM_WIN32(status);
    }

    std::wstring text;
    switch (value.data) {
    case Data::Text:
        text = value.text;
        break;
    case Data::ModulePath:
        text = modulePath;
        break;
    case Data::ClassId:
        text = GuidText(CLSID_Connect);
        break;
    case Data::LibraryId:
        text = GuidText(LIBID_TarnwickFindReplace);
        break;
    case Data::Number:
        break;
    }
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    return HRESULT_FROM_WIN32(status);
}

HRESULT RemoveTree(Tree tree) {
    const LSTATUS status = RegDeleteTreeW(TreeRoot(tree), TreePath(tree).c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(status);
}

/// Registers the library from the DLL's own TYPELIB resource under the DLL's
/// path, so that the registration names the file that the host loads.
HRESULT RegisterTypeLibrary(const std::wstring& modulePath) {
    ComPtr<ITypeLib> library;
    const HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.out());
    if (FAILED(hr)) return hr;
    // mingw-w64 declares the path without const; RegisterTypeLib only reads it.
    return RegisterTypeLib(library.get(), const_cast<OLECHAR*>(modulePath.c_str()), /*szHelpDir=*/nullptr);
}

HRESULT UnregisterTypeLibrary() {
    // UnRegisterTypeLib has no error of its own for "not registered", and the
    // ones it gives also mean real failures; ask first instead.
    BSTR registeredPath = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(LIBID_TarnwickFindReplace, kLibraryMajor, kLibraryMinor, kLibraryLcid,
                                     &registeredPath)))
        return S_OK;
    SysFreeString(registeredPath);
    return UnRegisterTypeLib(LIBID_TarnwickFindReplace, kLibraryMajor, kLibraryMinor, kLibraryLcid, SYS_WIN32);
}

HRESULT WriteRegistration() {
    std::wstring modulePath;
    HRESULT hr = ModulePath(modulePath);
    if (FAILED(hr)) return hr;
    hr = RegisterTypeLibrary(modulePath);
    if (FAILED(hr)) return hr;
    for (const RegistryValue& value : kRegistry) {
        hr = WriteValue(value, modulePath);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT RegisterComponent() {
    const HRESULT hr = WriteRegistration();
    if (FAILED(hr)) UnregisterComponent();
    return hr;
}

HRESULT UnregisterComponent() {
    // Every part is attempted, so that one stuck key does not leave the rest
    // behind; the first failure is the one reported.
    HRESULT result = S_OK;
    for (Tree tree : kTreesToRemove) {
        const HRESULT hr = RemoveTree(tree);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    const HRESULT hr = UnregisterTypeLibrary();
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    return result;
}

}  // namespace quillet::win32
