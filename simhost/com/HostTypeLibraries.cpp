#include <string>
#include <vector>

#include "AddInDesigner.h"
#include "simhost/com/ComHost.h"
#include "platform/win32/ModulePath.h"
#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

// The resource numbers of the type libraries in HostTypeLibraries.rc.
constexpr int kOfficeResource = 1;
constexpr int kPublisherResource = 2;
constexpr int kAddInDesignerResource = 3;

/// "<this program>\<resource>", the name under which a type library embedded
/// in an executable is loaded and registered.
std::wstring EmbeddedLibraryPath(int resource) {
    const std::wstring path = win32::ModulePath(nullptr);
    if (path.empty()) return {};
    return path + L"\\" + std::to_wstring(resource);
}

struct LibraryPlace {
    const GUID* libid;
    WORD major;
    WORD minor;
    int resource;
};

/// The library as an installation registered it; failing that, the copy that
/// this program carries, so that the objects still answer IDispatch before
/// (or without) registration. Types that the copy imports from another
/// library only resolve once that one is registered.
ITypeLib* LoadHostLibrary(const LibraryPlace& place) {
    ITypeLib* library = nullptr;
    if (SUCCEEDED(LoadRegTypeLib(*place.libid, place.major, place.minor, LOCALE_NEUTRAL, &library))) return library;
    const std::wstring path = EmbeddedLibraryPath(place.resource);
    if (path.empty() || FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library))) return nullptr;
    return library;
}

ITypeLib* OfficeLibrary() {
    // Kept for the life of the process, like the type infos taken from it.
    static ITypeLib* const library = LoadHostLibrary({&LIBID_Office, 2, 2, kOfficeResource});
    return library;
}

ITypeLib* PublisherLibrary() {
    static ITypeLib* const library = LoadHostLibrary({&LIBID_Publisher, 1, 0, kPublisherResource});
    return library;
}

struct CachedTypeInfo {
    IID iid;
    ITypeInfo* info;
};

}  // namespace

ITypeInfo* HostTypeInfo(REFIID iid) {
    // The host's objects live in one apartment: no two threads fill this at once.
    static std::vector<CachedTypeInfo> cache;
    for (const CachedTypeInfo& cached : cache)
        if (IsEqualIID(cached.iid, iid)) return cached.info;
    ITypeInfo* info = nullptr;
    for (ITypeLib* library : {PublisherLibrary(), OfficeLibrary()}) {
        if (library && SUCCEEDED(library->GetTypeInfoOfGuid(iid, &info))) break;
        info = nullptr;
    }
    // A miss is not cached: registering the libraries later may still find it.
    if (!info) return nullptr;
    try {
        cache.push_back({iid, info});
    } catch (...) {
        info->Release();
        return nullptr;
    }
    return info;
}

HRESULT RegisterHostTypeLibraries() {
    // Office first: Publisher imports it.
    for (const int resource : {kOfficeResource, kPublisherResource, kAddInDesignerResource}) {
        std::wstring path = EmbeddedLibraryPath(resource);
        if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
        ComPtr<ITypeLib> library;
        if (const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.out()); FAILED(hr)) return hr;
        // Registered under the path with its resource number: LoadTypeLibEx's
        // own REGKIND_REGISTER (Wine 8) records the bare file, which loads
        // resource 1 for every library.
        if (const HRESULT hr = RegisterTypeLib(library.get(), path.data(), nullptr); FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace quillet::simhost::com
