// The stand-in host as the running host that an add-in reaches through the
// registry and COM: its application's class object, and the add-in entries it
// loads and connects.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/com/ComBridge.h"
#include "host/com/LateBinding.h"
#include "simhost/com/AddinLoader.h"
#include "simhost/com/ComHost.h"
#include "simhost/com/Dialect.h"
#include "tests/windows/ComHostTesting.h"

namespace quillet::test {
namespace {

using quillet::com::roles::kApplication;
using quillet::win32::ComPtr;
namespace com = simhost::com;

// ---- The application's class object -------------------------------------------

class ApplicationClass : public testing::Test {
protected:
    void TearDown() override {
        if (cookie_) {
            EXPECT_EQ(S_OK, CoRevokeClassObject(cookie_));
        }
    }

    /// The application as an add-in creates it by class.
    HRESULT Create(DWORD context, ComPtr<IDispatch>& app) {
        return CoCreateInstance(quillet::com::kHostApplicationClass, nullptr, context, kApplication.iid, outVoid(app));
    }

    simhost::InMemoryHost host_ = makeHost();
    DWORD cookie_ = 0;
};

TEST_F(ApplicationClass, CreatingTheClassReachesTheRunningHostItself) {
    ASSERT_EQ(S_OK, com::registerApplicationClass(host_, &cookie_));
    EXPECT_NE(0u, cookie_);

    for (const DWORD context : {DWORD{CLSCTX_LOCAL_SERVER}, DWORD{CLSCTX_SERVER}, DWORD{CLSCTX_INPROC_SERVER}}) {
        SCOPED_TRACE(context);
        ComPtr<IDispatch> app;
        ASSERT_EQ(S_OK, Create(context, app));
        const ApplicationRef application = quillet::com::bridgeApplication(app);
        PublicationRef publication = *application->publication();
        EXPECT_EQ(3, *(*publication->stories())->count());

        // Our own object, not a proxy: a page it gives can be handed back,
        // which only works when the page is the host's own object.
        ASSERT_TRUE((*publication->view())->setPage(*(*publication->pages())->item(2)));
        EXPECT_EQ(2, host_.publication().model().displayedPage);
    }

    ASSERT_EQ(S_OK, CoRevokeClassObject(cookie_));
    cookie_ = 0;
    ComPtr<IDispatch> gone;
    EXPECT_TRUE(FAILED(Create(CLSCTX_LOCAL_SERVER, gone)));
    EXPECT_FALSE(gone);
}

/// A host whose application cannot be reached.
class UnreachableHost final : public HostApplicationClass {
public:
    Result<ApplicationRef> create() override { return RaisedError{-2147221021, u"Operation unavailable"}; }
};

TEST_F(ApplicationClass, AFailureToReachTheHostIsTheCreationsFailure) {
    UnreachableHost unreachable;
    ASSERT_EQ(S_OK, com::registerApplicationClass(unreachable, &cookie_));
    ComPtr<IDispatch> app;
    EXPECT_EQ(-2147221021, Create(CLSCTX_LOCAL_SERVER, app));
    EXPECT_FALSE(app);
}

TEST_F(ApplicationClass, TheClassObjectRefusesAggregationAndOtherInterfaces) {
    ASSERT_EQ(S_OK, com::registerApplicationClass(host_, &cookie_));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CoGetClassObject(quillet::com::kHostApplicationClass, CLSCTX_LOCAL_SERVER, nullptr,
                                     IID_IClassFactory, outVoid(factory)));
    ComPtr<IUnknown> object;
    ComPtr<IDispatch> outer;
    ASSERT_EQ(S_OK, com::createComApplication(host_.application(), outer.out()));
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), IID_IUnknown, outVoid(object)));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, outVoid(object)));
    EXPECT_FALSE(object);
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, outVoid(object)));
    EXPECT_TRUE(object);
}

// ---- Add-in entries and the add-in connection ---------------------------------

/// Registry keys that a test writes, removed again when it ends, so that the
/// prefix holds no trace of them for the next program (simhost.exe would try
/// to load a leftover entry).
class ScratchKeys {
public:
    explicit ScratchKeys(HKEY root = HKEY_CURRENT_USER) : root_(root) {}
    ScratchKeys(const ScratchKeys&) = delete;
    ScratchKeys& operator=(const ScratchKeys&) = delete;
    ~ScratchKeys() {
        for (const std::wstring& path : paths_) RegDeleteTreeW(root_, path.c_str());
    }

    /// The key `path` under the root, with the value `name` (null: the default value) set to `data`.
    void Dword(const std::wstring& path, const wchar_t* name, DWORD data) {
        HKEY key = Create(path);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
        RegCloseKey(key);
    }
    void Text(const std::wstring& path, const wchar_t* name, const std::wstring& data) {
        HKEY key = Create(path);
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

private:
    HKEY Create(const std::wstring& path) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(root_, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        paths_.push_back(path);
        return key;
    }

    HKEY root_;
    std::vector<std::wstring> paths_;
};

std::wstring addinKey(const wchar_t* progId) { return std::wstring(com::kAddinsKey) + L"\\" + progId; }

constexpr wchar_t kStartupProgId[] = L"QuilletTest.StartupAddin";
constexpr wchar_t kManualProgId[] = L"QuilletTest.ManualAddin";
constexpr wchar_t kTextBehaviorProgId[] = L"QuilletTest.TextBehavior";
constexpr wchar_t kNoBehaviorProgId[] = L"QuilletTest.NoBehavior";

// {C008A9D8-C026-4D41-B64C-27A6638566CB}: the fake add-in's class, served by this test program only.
constexpr CLSID kFakeAddinClass = {0xc008a9d8, 0xc026, 0x4d41, {0xb6, 0x4c, 0x27, 0xa6, 0x63, 0x85, 0x66, 0xcb}};

TEST(AddinEntries, OnlyADwordLoadBehaviorOfThreeLoadsAtStartup) {
    ScratchKeys keys;
    keys.Dword(addinKey(kStartupProgId), L"LoadBehavior", 3);
    keys.Dword(addinKey(kManualProgId), L"LoadBehavior", 2);
    keys.Text(addinKey(kTextBehaviorProgId), L"LoadBehavior", L"3");
    keys.Text(addinKey(kNoBehaviorProgId), L"FriendlyName", L"No behaviour");

    const std::vector<com::AddinEntry> entries = com::registeredAddins();
    auto behaviorOf = [&](const wchar_t* progId) -> long {
        for (const com::AddinEntry& entry : entries)
            if (entry.progId == progId) return static_cast<long>(entry.loadBehavior);
        return -1;
    };
    EXPECT_EQ(3, behaviorOf(kStartupProgId));
    EXPECT_EQ(2, behaviorOf(kManualProgId));
    EXPECT_EQ(0, behaviorOf(kTextBehaviorProgId));
    EXPECT_EQ(0, behaviorOf(kNoBehaviorProgId));

    const std::vector<std::wstring> startup = com::startupAddins();
    auto listed = [&](const wchar_t* progId) { return std::find(startup.begin(), startup.end(), progId) != startup.end(); };
    EXPECT_TRUE(listed(kStartupProgId));
    EXPECT_FALSE(listed(kManualProgId));
    EXPECT_FALSE(listed(kTextBehaviorProgId));
    EXPECT_FALSE(listed(kNoBehaviorProgId));
}

/// An add-in that records how the host connects it; any other call fails the
/// test. The test owns it: its count of references shows what the host holds.
class FakeAddin final : public _IDTExtensibility2 {
public:
    struct Connection {
        IDispatch* application = nullptr;
        ext_ConnectMode mode = ext_cm_AfterStartup;
        IDispatch* addInInst = reinterpret_cast<IDispatch*>(1);
        bool emptyVariantArray = false;
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
            !IsEqualIID(iid, IID__IDTExtensibility2))
            return E_NOINTERFACE;
        *object = static_cast<_IDTExtensibility2*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Unexpected(); }
    /// The two members that a host calls, under the DISPIDs that the interface publishes.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        EXPECT_EQ(1u, count);
        const std::wstring name = names[0];
        ids[0] = name == L"OnConnection" ? 1 : name == L"OnDisconnection" ? 2 : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    /// The same two through Invoke: methods, the arguments last first.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        EXPECT_EQ(DISPATCH_METHOD, flags);
        EXPECT_EQ(0u, params->cNamedArgs);
        VARIANTARG* arguments = params->rgvarg;
        const bool custom = params->cArgs > 0 && V_VT(&arguments[0]) == (VT_ARRAY | VT_VARIANT | VT_BYREF);
        if (id == 1 && params->cArgs == 4 && custom && V_VT(&arguments[3]) == VT_DISPATCH &&
            V_VT(&arguments[2]) == VT_I4 && V_VT(&arguments[1]) == VT_DISPATCH)
            return OnConnection(V_DISPATCH(&arguments[3]), static_cast<ext_ConnectMode>(V_I4(&arguments[2])),
                                V_DISPATCH(&arguments[1]), V_ARRAYREF(&arguments[0]));
        if (id == 2 && params->cArgs == 2 && custom && V_VT(&arguments[1]) == VT_I4)
            return OnDisconnection(static_cast<ext_DisconnectMode>(V_I4(&arguments[1])), V_ARRAYREF(&arguments[0]));
        return Unexpected();
    }

    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInst,
                                           SAFEARRAY** custom) override {
        connections.push_back({application, mode, addInInst, IsEmptyVariantArray(custom)});
        return connectAnswer;
    }
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override {
        disconnections.push_back({mode, IsEmptyVariantArray(custom)});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override { return Unexpected(); }

    ULONG refs = 1;
    HRESULT connectAnswer = S_OK;
    std::vector<Connection> connections;
    std::vector<std::pair<ext_DisconnectMode, bool>> disconnections;

private:
    static bool IsEmptyVariantArray(SAFEARRAY** custom) {
        if (!custom || !*custom) return false;
        VARTYPE type = VT_EMPTY;
        LONG lower = 0;
        LONG upper = 0;
        return SUCCEEDED(SafeArrayGetVartype(*custom, &type)) && type == VT_VARIANT &&
               SafeArrayGetDim(*custom) == 1 && SUCCEEDED(SafeArrayGetLBound(*custom, 1, &lower)) &&
               SUCCEEDED(SafeArrayGetUBound(*custom, 1, &upper)) && upper < lower;
    }
    static HRESULT Unexpected() {
        ADD_FAILURE() << "unexpected call";
        return E_NOTIMPL;
    }
};

/// The fake add-in's class object, registered in this process only.
class FakeAddinClass final : public IClassFactory {
public:
    explicit FakeAddinClass(FakeAddin& addin) : addin_(addin) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return addin_.QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    FakeAddin& addin_;
};

/// The host connects through the vtable (0) or through Invoke (1), as the run's dialect says.
class AddinConnection : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        com::Dialect dialect = com::Dialect::drawn(7);
        dialect.connectsThroughInvoke = GetParam() != 0;
        com::useDialect(dialect);
        ASSERT_EQ(S_OK, CoRegisterClassObject(kFakeAddinClass, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                              &cookie_));
        // The ProgID in HKEY_CLASSES_ROOT: Wine 8 does not show per-user
        // classes (HKEY_CURRENT_USER\Software\Classes) there.
        wchar_t clsid[40];
        ASSERT_LT(0, StringFromGUID2(kFakeAddinClass, clsid, 40));
        classes_.Text(std::wstring(kStartupProgId) + L"\\CLSID", nullptr, clsid);
        keys_.Dword(addinKey(kStartupProgId), L"LoadBehavior", 3);
    }
    void TearDown() override {
        if (cookie_) {
            EXPECT_EQ(S_OK, CoRevokeClassObject(cookie_));
        }
    }

    FakeAddin addin_;
    FakeAddinClass factory_{addin_};
    DWORD cookie_ = 0;
    ScratchKeys keys_;
    ScratchKeys classes_{HKEY_CLASSES_ROOT};
};

INSTANTIATE_TEST_SUITE_P(EitherWay, AddinConnection, testing::Values(0, 1));

TEST_P(AddinConnection, TheHostCreatesAStartupEntryByItsProgIdAndConnectsIt) {
    const std::vector<std::wstring> startup = com::startupAddins();
    ASSERT_NE(startup.end(), std::find(startup.begin(), startup.end(), kStartupProgId));

    com::ComAddin loaded;
    ASSERT_EQ(S_OK, com::ComAddin::create(kStartupProgId, &loaded));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(2u, addin_.refs);

    simhost::InMemoryHost host = makeHost();
    ComPtr<IDispatch> app;
    ASSERT_EQ(S_OK, com::createComApplication(host.application(), app.out()));
    EXPECT_EQ(S_OK, loaded.connect(app.get(), ext_cm_Startup));
    ASSERT_EQ(1u, addin_.connections.size());
    EXPECT_EQ(app.get(), addin_.connections[0].application);
    EXPECT_EQ(ext_cm_Startup, addin_.connections[0].mode);
    EXPECT_EQ(nullptr, addin_.connections[0].addInInst);
    EXPECT_TRUE(addin_.connections[0].emptyVariantArray);

    EXPECT_EQ(S_OK, loaded.disconnect(ext_dm_UserClosed));
    ASSERT_EQ(1u, addin_.disconnections.size());
    EXPECT_EQ(ext_dm_UserClosed, addin_.disconnections[0].first);
    EXPECT_TRUE(addin_.disconnections[0].second);

    loaded.release();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(1u, addin_.refs);
    EXPECT_EQ(E_UNEXPECTED, loaded.connect(app.get(), ext_cm_Startup));
}

TEST_P(AddinConnection, TheAddinsAnswerToConnectionComesBack) {
    com::ComAddin loaded;
    ASSERT_EQ(S_OK, com::ComAddin::create(kStartupProgId, &loaded));
    addin_.connectAnswer = static_cast<HRESULT>(0x800A005B);
    ComPtr<IDispatch> foreign;
    ASSERT_EQ(S_OK, com::createForeignHostObject(foreign.out()));
    EXPECT_EQ(static_cast<HRESULT>(0x800A005B), loaded.connect(foreign.get(), ext_cm_AfterStartup));
    ASSERT_EQ(1u, addin_.connections.size());
    EXPECT_EQ(foreign.get(), addin_.connections[0].application);
}

TEST(AddinCreation, AProgIdThatNamesNoClassCreatesNothing) {
    com::ComAddin loaded;
    EXPECT_TRUE(FAILED(com::ComAddin::create(L"QuilletTest.NoSuchAddin", &loaded)));
    EXPECT_FALSE(loaded);
}

TEST(ForeignHostObject, IsADispatchWithoutTheApplicationInterface) {
    ComPtr<IDispatch> foreign;
    ASSERT_EQ(S_OK, com::createForeignHostObject(foreign.out()));
    ComPtr<IDispatch> app;
    EXPECT_EQ(E_NOINTERFACE, foreign->QueryInterface(kApplication.iid, outVoid(app)));
    EXPECT_FALSE(app);
    EXPECT_TRUE(foreign.query<IDispatch>(IID_IDispatch));
    UINT count = 1;
    EXPECT_EQ(S_OK, foreign->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
}

}  // namespace
}  // namespace quillet::test
