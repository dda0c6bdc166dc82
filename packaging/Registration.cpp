#include "packaging/Registration.h"

#include <string>
#include <vector>

#include "Quillet.h"
#include "addin/win32/ComponentInstance.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/RegistryKey.h"

namespace quillet::win32 {
namespace {

constexpr wchar_t kProgId[] = L"TarnwickFindReplace.Connect";
constexpr wchar_t kLibraryVersion[] = L"1.0";
// The library's subkey for its language-neutral (LCID 0) file of this build's
// pointer size; the 32-bit and the 64-bit DLL each have their own.
constexpr const wchar_t* kLibraryFile = sizeof(void*) == 8 ? L"0\\win64" : L"0\\win32";
// The automation marshaller: _Connect's calls across apartments are built
// from its type library, with no proxy DLL of the component's own.
constexpr wchar_t kTypeLibraryMarshaller[] = L"{00020424-0000-0000-C000-000000000046}";

/// The keys that the component writes, by who shares them. Each is removed
/// whole, so anything a later tool added below one goes with it.
enum class Tree {
    Class,        // Classes\CLSID\{Connect}: in this build's registry view
    Interface,    // Classes\Interface\{_Connect}: in this build's view
    LibraryFile,  // Classes\TypeLib\{library}\1.0\0\win32 (or win64): this build's file
    Library,      // Classes\TypeLib\{library}\1.0: shared by both builds
    ProgId,       // Classes\TarnwickFindReplace.Connect: shared by both builds
    AddIn,        // the host's add-in entry, in the current user's hive: shared by both builds and scopes
};

enum class Data {
    Text,          // `text`
    Number,        // `number`, as a DWORD
    ModulePath,    // the DLL's full path, as the loader knows it
    ModuleFolder,  // the folder of that path
    ClassId,       // CLSID_Connect in registry form
    LibraryId,     // LIBID_TarnwickFindReplace in registry form
};

struct RegistryValue {
    Tree tree;
    const wchar_t* subkey;  // below the tree's key; nullptr for the key itself
    const wchar_t* name;    // nullptr for the key's default value
    Data data;
    const wchar_t* text = nullptr;
    DWORD number = 0;
};

constexpr RegistryValue kRegistry[] = {
    {Tree::Library, nullptr, nullptr, Data::Text, L"Find and Replace across multiple text boxes"},
    {Tree::Library, L"FLAGS", nullptr, Data::Text, L"0"},
    {Tree::Library, L"HELPDIR", nullptr, Data::ModuleFolder},
    {Tree::LibraryFile, nullptr, nullptr, Data::ModulePath},
    {Tree::Interface, nullptr, nullptr, Data::Text, L"_Connect"},
    {Tree::Interface, L"ProxyStubClsid", nullptr, Data::Text, kTypeLibraryMarshaller},
    {Tree::Interface, L"ProxyStubClsid32", nullptr, Data::Text, kTypeLibraryMarshaller},
    {Tree::Interface, L"TypeLib", nullptr, Data::LibraryId},
    {Tree::Interface, L"TypeLib", L"Version", Data::Text, kLibraryVersion},
    {Tree::Class, nullptr, nullptr, Data::Text, kProgId},
    {Tree::Class, L"InprocServer32", nullptr, Data::ModulePath},
    // Every call arrives on the host's user-interface thread, an STA.
    {Tree::Class, L"InprocServer32", L"ThreadingModel", Data::Text, L"Apartment"},
    {Tree::Class, L"ProgID", nullptr, Data::Text, kProgId},
    {Tree::Class, L"TypeLib", nullptr, Data::LibraryId},
    {Tree::Class, L"Version", nullptr, Data::Text, kLibraryVersion},
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

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

/// The hive of a scope's classes: what HKEY_CLASSES_ROOT shows to every user
/// of the machine, or what it adds for the current user alone.
HKEY ClassesHive(Scope scope) { return scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::wstring LibraryKey() { return L"Software\\Classes\\TypeLib\\" + GuidText(LIBID_TarnwickFindReplace); }

std::wstring ClassKey() { return L"Software\\Classes\\CLSID\\" + GuidText(CLSID_Connect); }

HKEY TreeHive(Tree tree, Scope scope) { return tree == Tree::AddIn ? HKEY_CURRENT_USER : ClassesHive(scope); }

std::wstring TreePath(Tree tree) {
    switch (tree) {
    case Tree::Class:
        return ClassKey();
    case Tree::Interface:
        return L"Software\\Classes\\Interface\\" + GuidText(IID__Connect);
    case Tree::LibraryFile:
        return LibraryKey() + L"\\" + kLibraryVersion + L"\\" + kLibraryFile;
    case Tree::Library:
        return LibraryKey() + L"\\" + kLibraryVersion;
    case Tree::ProgId:
        return std::wstring(L"Software\\Classes\\") + kProgId;
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

std::wstring TextOf(const RegistryValue& value, const std::wstring& modulePath) {
    switch (value.data) {
    case Data::Text:
        return value.text;
    case Data::ModulePath:
        return modulePath;
    case Data::ModuleFolder:
        return modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    case Data::ClassId:
        return GuidText(CLSID_Connect);
    case Data::LibraryId:
        return GuidText(LIBID_TarnwickFindReplace);
    case Data::Number:
        break;
    }
    return {};
}

/// Writes one value, in this build's registry view: a 32-bit DLL's class and
/// interface land in the 32-bit view of a 64-bit Windows, as a 32-bit host
/// looks for them.
HRESULT WriteValue(const RegistryValue& value, Scope scope, const std::wstring& modulePath) {
    std::wstring keyPath = TreePath(value.tree);
    if (value.subkey) keyPath.append(L"\\").append(value.subkey);

    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(TreeHive(value.tree, scope), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.out(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);

    if (value.data == Data::Number) {
        status = RegSetValueExW(key.get(), value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                sizeof(value.number));
        return HRESULT_FROM_WIN32(status);
    }
    const std::wstring text = TextOf(value, modulePath);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    return HRESULT_FROM_WIN32(status);
}

/// Removes a key with everything below it; one that is not there counts as removed.
HRESULT RemoveTree(HKEY hive, const std::wstring& path) {
    const LSTATUS status = RegDeleteTreeW(hive, path.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(status);
}

/// Removes a key if nothing is left below it.
void RemoveIfEmpty(HKEY hive, const std::wstring& path) { RegDeleteKeyW(hive, path.c_str()); }

bool KeyExists(HKEY hive, const std::wstring& path, REGSAM view) {
    RegistryKey key;
    return RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ | view, key.out()) == ERROR_SUCCESS;
}

/// Whether the class is registered in `scope` by the DLL of either pointer
/// size. On a 32-bit Windows both flags name its one view.
bool ClassRegistered(Scope scope) {
    return KeyExists(ClassesHive(scope), ClassKey(), KEY_WOW64_32KEY) ||
           KeyExists(ClassesHive(scope), ClassKey(), KEY_WOW64_64KEY);
}

/// Whether a file of some pointer size is still registered for the library.
bool LibraryFileLeft(Scope scope) {
    const std::wstring path = TreePath(Tree::Library);
    RegistryKey key;
    if (RegOpenKeyExW(ClassesHive(scope), path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        // Besides FLAGS and HELPDIR, the subkeys are languages, each holding files.
        if (lstrcmpiW(name, L"FLAGS") != 0 && lstrcmpiW(name, L"HELPDIR") != 0) return true;
    }
}

HRESULT WriteRegistration(Scope scope) {
    std::wstring modulePath;
    HRESULT hr = ModulePath(modulePath);
    if (FAILED(hr)) return hr;
    for (const RegistryValue& value : kRegistry) {
        hr = WriteValue(value, scope, modulePath);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT RegisterComponent(Scope scope) {
    const HRESULT hr = WriteRegistration(scope);
    if (FAILED(hr)) UnregisterComponent(scope);
    return hr;
}

HRESULT UnregisterComponent(Scope scope) {
    // Every part is attempted, so that one stuck key does not leave the rest
    // behind; the first failure is the one reported.
    HRESULT result = S_OK;
    auto remove = [&](HKEY hive, const std::wstring& path) {
        const HRESULT hr = RemoveTree(hive, path);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    };
    const HKEY classes = ClassesHive(scope);

    // This build's own keys.
    remove(classes, TreePath(Tree::Class));
    remove(classes, TreePath(Tree::Interface));
    remove(classes, TreePath(Tree::LibraryFile));
    RemoveIfEmpty(classes, LibraryKey() + L"\\" + kLibraryVersion + L"\\0");

    // What the two builds share goes with the last of them.
    if (!LibraryFileLeft(scope)) {
        remove(classes, TreePath(Tree::Library));
        RemoveIfEmpty(classes, LibraryKey());
    }
    if (!ClassRegistered(scope)) remove(classes, TreePath(Tree::ProgId));
    if (!ClassRegistered(Scope::Machine) && !ClassRegistered(Scope::User))
        remove(HKEY_CURRENT_USER, TreePath(Tree::AddIn));
    return result;
}

}  // namespace quillet::win32
