#include "packaging/Registration.h"

#include <string>

#include "addin/win32/ComponentInstance.h"
#include "platform/win32/ModulePath.h"
#include "platform/win32/RegistryKey.h"

namespace quillet::win32 {
namespace {

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
};

struct TreeKey {
    Tree tree;
    const wchar_t* path;  // below the hive
};

struct RegistryValue {
    Tree tree;
    const wchar_t* subkey;  // below the tree's key; nullptr for the key itself
    const wchar_t* name;    // nullptr for the key's default value
    Data data;
    const wchar_t* text = nullptr;
    DWORD number = 0;
};

// kTreeKeys and kRegistry: the rows of packaging/Registry.rows.in, which the
// installer writes too.
#include "RegistryRows.inc"

constexpr bool hasKey(Tree tree) {
    for (const TreeKey& key : kTreeKeys)
        if (key.tree == tree) return true;
    return false;
}
// Without its key a tree's path would be empty, and removing it would take the whole hive.
static_assert(hasKey(Tree::Class) && hasKey(Tree::Interface) && hasKey(Tree::LibraryFile) && hasKey(Tree::Library) &&
                  hasKey(Tree::ProgId) && hasKey(Tree::AddIn),
              "every tree needs its key in Registry.rows.in");

/// The hive of a scope's classes: what HKEY_CLASSES_ROOT shows to every user
/// of the machine, or what it adds for the current user alone.
HKEY classesHive(Scope scope) { return scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

HKEY treeHive(Tree tree, Scope scope) { return tree == Tree::AddIn ? HKEY_CURRENT_USER : classesHive(scope); }

std::wstring treePath(Tree tree) {
    for (const TreeKey& key : kTreeKeys)
        if (key.tree == tree) return key.path;
    return {};
}

/// The key that holds `path`.
std::wstring parentPath(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

/// The DLL's full path.
HRESULT readModulePath(std::wstring& path) {
    path = win32::modulePath(componentModule());
    return path.empty() ? HRESULT_FROM_WIN32(GetLastError()) : S_OK;
}

std::wstring textOf(const RegistryValue& value, const std::wstring& modulePath) {
    switch (value.data) {
    case Data::Text:
        return value.text;
    case Data::ModulePath:
        return modulePath;
    case Data::ModuleFolder:
        return modulePath.substr(0, modulePath.find_last_of(L'\\') + 1);
    case Data::Number:
        break;
    }
    return {};
}

/// Writes one value, in this build's registry view: a 32-bit DLL's class and
/// interface land in the 32-bit view of a 64-bit Windows, as a 32-bit host
/// looks for them.
HRESULT writeValue(const RegistryValue& value, Scope scope, const std::wstring& modulePath) {
    std::wstring keyPath = treePath(value.tree);
    if (value.subkey) keyPath.append(L"\\").append(value.subkey);

    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(treeHive(value.tree, scope), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, key.out(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);

    if (value.data == Data::Number) {
        status = RegSetValueExW(key.get(), value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                sizeof(value.number));
        return HRESULT_FROM_WIN32(status);
    }
    const std::wstring text = textOf(value, modulePath);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(key.get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    return HRESULT_FROM_WIN32(status);
}

/// Removes a key with everything below it; one that is not there counts as removed.
HRESULT removeTree(HKEY hive, const std::wstring& path) {
    const LSTATUS status = RegDeleteTreeW(hive, path.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(status);
}

/// Removes a key if nothing is left below it.
void removeIfEmpty(HKEY hive, const std::wstring& path) { RegDeleteKeyW(hive, path.c_str()); }

bool keyExists(HKEY hive, const std::wstring& path, REGSAM view) {
    RegistryKey key;
    return RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ | view, key.out()) == ERROR_SUCCESS;
}

/// Whether the class is registered in `scope` by the DLL of either pointer
/// size. On a 32-bit Windows both flags name its one view.
bool classRegistered(Scope scope) {
    const std::wstring path = treePath(Tree::Class);
    return keyExists(classesHive(scope), path, KEY_WOW64_32KEY) || keyExists(classesHive(scope), path, KEY_WOW64_64KEY);
}

/// Whether a file of some pointer size is still registered for the library.
bool libraryFileLeft(Scope scope) {
    const std::wstring path = treePath(Tree::Library);
    RegistryKey key;
    if (RegOpenKeyExW(classesHive(scope), path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
        // Besides FLAGS and HELPDIR, the subkeys are languages, each holding files.
        if (lstrcmpiW(name, L"FLAGS") != 0 && lstrcmpiW(name, L"HELPDIR") != 0) return true;
    }
}

HRESULT writeRegistration(Scope scope) {
    std::wstring path;
    HRESULT hr = readModulePath(path);
    if (FAILED(hr)) return hr;
    for (const RegistryValue& value : kRegistry) {
        hr = writeValue(value, scope, path);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT registerComponent(Scope scope) {
    const HRESULT hr = writeRegistration(scope);
    if (FAILED(hr)) unregisterComponent(scope);
    return hr;
}

HRESULT unregisterComponent(Scope scope) {
    // Every part is attempted, so that one stuck key does not leave the rest
    // behind; the first failure is the one reported.
    HRESULT result = S_OK;
    auto remove = [&](HKEY hive, const std::wstring& path) {
        const HRESULT hr = removeTree(hive, path);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    };
    const HKEY classes = classesHive(scope);

    // This build's own keys.
    remove(classes, treePath(Tree::Class));
    remove(classes, treePath(Tree::Interface));
    remove(classes, treePath(Tree::LibraryFile));
    removeIfEmpty(classes, parentPath(treePath(Tree::LibraryFile)));

    // What the two builds share goes with the last of them.
    if (!libraryFileLeft(scope)) {
        remove(classes, treePath(Tree::Library));
        removeIfEmpty(classes, parentPath(treePath(Tree::Library)));
    }
    if (!classRegistered(scope)) remove(classes, treePath(Tree::ProgId));
    if (!classRegistered(Scope::Machine) && !classRegistered(Scope::User))
        remove(HKEY_CURRENT_USER, treePath(Tree::AddIn));
    return result;
}

}  // namespace quillet::win32
