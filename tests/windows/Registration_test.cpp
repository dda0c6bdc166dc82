// DllRegisterServer and DllUnregisterServer against the registry of the
// test's own Wine prefix: what is written, that writing twice changes nothing,
// and that removal takes away exactly what was written.

#include <objbase.h>
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Quillet.h"
#include "platform/win32/ComPtr.h"
#include "tests/windows/OutVoid.h"
#include "tests/windows/QuilletDll.h"
#include "tests/windows/RegistryProbe.h"

namespace quillet::test {
namespace {

using Names = std::vector<std::wstring>;

const std::wstring kProgId = L"TarnwickFindReplace.Connect";
const std::wstring kAddInsKey = L"Software\\Microsoft\\Office\\Publisher\\Addins";
const std::wstring kAddInKey = kAddInsKey + L"\\" + kProgId;
const std::wstring kDescription =
    L"This add-in lets you search and replace across an entire publication rather than just a single story "
    L"using Publisher 2002.";
// The automation marshaller: _Connect's calls across apartments are built
// from its type library, with no proxy DLL of the component's own.
const std::wstring kTypeLibraryMarshaller = L"{00020424-0000-0000-C000-000000000046}";

std::wstring classKeyPath() { return L"CLSID\\" + guidText(CLSID_Connect); }
std::wstring interfaceKeyPath() { return L"Interface\\" + guidText(IID__Connect); }
std::wstring typeLibKeyPath() { return L"TypeLib\\" + guidText(LIBID_TarnwickFindReplace); }

/// Where classes are registered: for the machine (as HKEY_CLASSES_ROOT shows
/// them) or for the current user alone.
struct Classes {
    HKEY hive;
    std::wstring path;
};
const Classes kMachineClasses{HKEY_CLASSES_ROOT, L""};
const Classes kUserClasses{HKEY_CURRENT_USER, L"Software\\Classes\\"};

class Registration : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dllLoaded());
        ASSERT_EQ(S_OK, theDll().unregisterServer()) << "could not start from an unregistered component";
        ASSERT_EQ(S_OK, InstallForUser(FALSE)) << "could not start from an unregistered component";
    }
    void TearDown() override {
        if (!dllLoaded()) return;
        EXPECT_EQ(S_OK, theDll().unregisterServer());
        EXPECT_EQ(S_OK, InstallForUser(FALSE));
    }

    static HRESULT Register() { return theDll().registerServer(); }
    static HRESULT Unregister() { return theDll().unregisterServer(); }
    /// regsvr32 /n /i:user, and with /u.
    static HRESULT InstallForUser(BOOL install) { return theDll().install(install, L"user"); }

    /// The whole of the class's key and of the ProgID's key, value by value,
    /// among `classes`: the machine's (HKEY_CLASSES_ROOT) or the user's.
    static void ExpectClassAndProgId(const Classes& classes = kMachineClasses) {
        const HKEY root = classes.hive;
        const std::wstring classKey = classes.path + classKeyPath();
        EXPECT_EQ(Names({L""}), valueNames(root, classKey));
        EXPECT_EQ(kProgId, readText(root, classKey));
        EXPECT_EQ(Names({L"InprocServer32", L"ProgID", L"TypeLib", L"Version"}), subkeyNames(root, classKey));

        const std::wstring server = classKey + L"\\InprocServer32";
        EXPECT_EQ(Names({L"", L"ThreadingModel"}), valueNames(root, server));
        const auto path = readText(root, server);
        ASSERT_TRUE(path.has_value());
        EXPECT_TRUE(sameText(theDll().path, *path)) << "InprocServer32 names " << *path;
        EXPECT_EQ(L"Apartment", readText(root, server, L"ThreadingModel"));
        EXPECT_EQ(kProgId, readText(root, classKey + L"\\ProgID"));
        EXPECT_EQ(guidText(LIBID_TarnwickFindReplace), readText(root, classKey + L"\\TypeLib"));
        EXPECT_EQ(L"1.0", readText(root, classKey + L"\\Version"));
        for (const wchar_t* subkey : {L"\\ProgID", L"\\TypeLib", L"\\Version"})
            EXPECT_EQ(Names({L""}), valueNames(root, classKey + subkey)) << subkey;

        EXPECT_EQ(Names({L"CLSID"}), subkeyNames(root, classes.path + kProgId));
        EXPECT_EQ(guidText(CLSID_Connect), readText(root, classes.path + kProgId + L"\\CLSID"));
    }

    /// Whether anything of the component's own is left among `classes`.
    static bool AnyClassesLeft(const Classes& classes) {
        for (const std::wstring& key : {classKeyPath(), kProgId, interfaceKeyPath(), typeLibKeyPath()})
            if (keyExists(classes.hive, classes.path + key)) return true;
        return false;
    }

    static void ExpectAddInEntry() {
        EXPECT_EQ(Names({L"CommandLineSafe", L"Description", L"FriendlyName", L"LoadBehavior"}),
                  valueNames(HKEY_CURRENT_USER, kAddInKey));
        EXPECT_EQ(Names{}, subkeyNames(HKEY_CURRENT_USER, kAddInKey));
        EXPECT_EQ(L"Tarnwick Find/Replace Add-in", readText(HKEY_CURRENT_USER, kAddInKey, L"FriendlyName"));
        EXPECT_EQ(kDescription, readText(HKEY_CURRENT_USER, kAddInKey, L"Description"));
        EXPECT_EQ(3u, readNumber(HKEY_CURRENT_USER, kAddInKey, L"LoadBehavior"));
        EXPECT_EQ(0u, readNumber(HKEY_CURRENT_USER, kAddInKey, L"CommandLineSafe"));
    }
};

TEST_F(Registration, WritesTheClassAndItsProgIdBothWays) {
    ASSERT_EQ(S_OK, Register());
    ExpectClassAndProgId();

    CLSID clsid{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(kProgId.c_str(), &clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_Connect, clsid));
    LPOLESTR progId = nullptr;
    ASSERT_EQ(S_OK, ProgIDFromCLSID(CLSID_Connect, &progId));
    EXPECT_EQ(kProgId, progId);
    CoTaskMemFree(progId);
}

TEST_F(Registration, WritesTheAddInEntryInTheCurrentUsersHiveOnly) {
    ASSERT_EQ(S_OK, Register());
    ExpectAddInEntry();
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kAddInKey));
}

TEST_F(Registration, RegistersTheEmbeddedTypeLibraryUnderTheDllsPath) {
    ASSERT_EQ(S_OK, Register());

    BSTR path = nullptr;
    ASSERT_EQ(S_OK, QueryPathOfRegTypeLib(LIBID_TarnwickFindReplace, 1, 0, 0, &path));
    EXPECT_TRUE(sameText(theDll().path, path)) << "the type library is registered at " << path;
    SysFreeString(path);

    const std::wstring version = typeLibKeyPath() + L"\\1.0";
    EXPECT_EQ(L"Find and Replace across multiple text boxes", readText(HKEY_CLASSES_ROOT, version));
    // Each build registers the file of its own pointer size.
    const auto file = readText(HKEY_CLASSES_ROOT, version + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32"));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(sameText(theDll().path, *file));
    EXPECT_EQ(L"0", readText(HKEY_CLASSES_ROOT, version + L"\\FLAGS"));

    quillet::win32::ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadRegTypeLib(LIBID_TarnwickFindReplace, 1, 0, 0, library.out()));
}

TEST_F(Registration, RegistersConnectInterfaceAsDualMarshalledFromTheTypeLibrary) {
    ASSERT_EQ(S_OK, Register());

    const std::wstring key = interfaceKeyPath();
    EXPECT_EQ(L"_Connect", readText(HKEY_CLASSES_ROOT, key));
    EXPECT_EQ(kTypeLibraryMarshaller, readText(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32"));
    EXPECT_EQ(guidText(LIBID_TarnwickFindReplace), readText(HKEY_CLASSES_ROOT, key + L"\\TypeLib"));
    EXPECT_EQ(L"1.0", readText(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version"));
}

TEST_F(Registration, RegisteringTwiceLeavesOneEntryWithTheSameValues) {
    ASSERT_EQ(S_OK, Register());
    // The host writes 2 here when it gave up on loading an add-in; registering
    // again must make the add-in load at start-up once more.
    HKEY addIn = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kAddInKey.c_str(), 0, KEY_SET_VALUE, &addIn));
    const DWORD gaveUp = 2;
    RegSetValueExW(addIn, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&gaveUp), sizeof(gaveUp));
    RegCloseKey(addIn);

    ASSERT_EQ(S_OK, Register());
    ExpectClassAndProgId();
    ExpectAddInEntry();
    const Names addIns = subkeyNames(HKEY_CURRENT_USER, kAddInsKey);
    EXPECT_EQ(1, std::count_if(addIns.begin(), addIns.end(),
                               [](const std::wstring& name) { return sameText(name, kProgId); }));
}

TEST_F(Registration, TheHostCreatesConnectThroughTheProgId) {
    ASSERT_EQ(S_OK, Register());

    CLSID clsid{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(kProgId.c_str(), &clsid));
    quillet::win32::ComPtr<IUnknown> connect;
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, outVoid(connect)));
    quillet::win32::ComPtr<IDispatch> dispatch;
    EXPECT_EQ(S_OK, connect->QueryInterface(IID__Connect, outVoid(dispatch)));
}

TEST_F(Registration, UnregisterRemovesEverythingRegisterWrote) {
    ASSERT_EQ(S_OK, Register());
    ASSERT_EQ(S_OK, Unregister());

    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, classKeyPath()));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kAddInKey));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, interfaceKeyPath()));
    EXPECT_FALSE(keyExists(HKEY_CLASSES_ROOT, typeLibKeyPath()));
    BSTR path = nullptr;
    EXPECT_TRUE(FAILED(QueryPathOfRegTypeLib(LIBID_TarnwickFindReplace, 1, 0, 0, &path)));
    CLSID clsid{};
    EXPECT_TRUE(FAILED(CLSIDFromProgID(kProgId.c_str(), &clsid)));
}

TEST_F(Registration, UnregisterWithNothingRegisteredSucceeds) {
    // SetUp has already removed everything once.
    EXPECT_EQ(S_OK, Unregister());
    EXPECT_EQ(S_OK, Unregister());
}

TEST_F(Registration, UnregisterLeavesTheHostsOtherAddInsAlone) {
    const std::wstring other = kAddInsKey + L"\\Another.Connect";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, other.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &key, nullptr));
    const DWORD loadAtStart = 3;
    RegSetValueExW(key, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&loadAtStart), sizeof(loadAtStart));
    RegCloseKey(key);

    ASSERT_EQ(S_OK, Register());
    ASSERT_EQ(S_OK, Unregister());
    EXPECT_EQ(3u, readNumber(HKEY_CURRENT_USER, other, L"LoadBehavior"));
    RegDeleteKeyW(HKEY_CURRENT_USER, other.c_str());
}

TEST_F(Registration, ForTheUserAloneEverythingGoesUnderTheUsersClasses) {
    ASSERT_EQ(S_OK, InstallForUser(TRUE));
    ExpectClassAndProgId(kUserClasses);
    ExpectAddInEntry();
    const std::wstring interfaceKey = kUserClasses.path + interfaceKeyPath();
    EXPECT_EQ(L"_Connect", readText(HKEY_CURRENT_USER, interfaceKey));
    EXPECT_EQ(kTypeLibraryMarshaller, readText(HKEY_CURRENT_USER, interfaceKey + L"\\ProxyStubClsid32"));
    const auto file = readText(HKEY_CURRENT_USER, kUserClasses.path + typeLibKeyPath() + L"\\1.0\\0\\" +
                                                      (sizeof(void*) == 8 ? L"win64" : L"win32"));
    ASSERT_TRUE(file.has_value());
    EXPECT_TRUE(sameText(theDll().path, *file));
    // Nothing needs an administrator: the machine's classes stay as they were.
    EXPECT_FALSE(AnyClassesLeft(kMachineClasses));

    ASSERT_EQ(S_OK, InstallForUser(TRUE));  // again: the same, once
    ExpectClassAndProgId(kUserClasses);

    ASSERT_EQ(S_OK, InstallForUser(FALSE));
    EXPECT_FALSE(AnyClassesLeft(kUserClasses));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kAddInKey));
    EXPECT_EQ(S_OK, InstallForUser(FALSE));
}

TEST_F(Registration, EachKindOfRegistrationOutlivesTheRemovalOfTheOther) {
    ASSERT_EQ(S_OK, Register());
    ASSERT_EQ(S_OK, InstallForUser(TRUE));
    ASSERT_EQ(S_OK, InstallForUser(FALSE));
    ExpectClassAndProgId();
    ExpectAddInEntry();
    CLSID clsid{};
    EXPECT_EQ(S_OK, CLSIDFromProgID(kProgId.c_str(), &clsid));

    ASSERT_EQ(S_OK, InstallForUser(TRUE));
    ASSERT_EQ(S_OK, Unregister());
    EXPECT_FALSE(AnyClassesLeft(kMachineClasses));
    ExpectClassAndProgId(kUserClasses);
    ExpectAddInEntry();

    // The add-in entry goes with the last registration of either kind.
    ASSERT_EQ(S_OK, InstallForUser(FALSE));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kAddInKey));
}

TEST_F(Registration, InstallKnowsTheUserAndOtherwiseRegistersForTheMachine) {
    EXPECT_EQ(E_INVALIDARG, theDll().install(TRUE, L"everyone"));
    EXPECT_FALSE(AnyClassesLeft(kMachineClasses));
    EXPECT_FALSE(AnyClassesLeft(kUserClasses));
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, kAddInKey));

    // regsvr32 /i without /n calls DllRegisterServer, then DllInstall with no command line.
    ASSERT_EQ(S_OK, theDll().install(TRUE, L""));
    ExpectClassAndProgId();
    EXPECT_FALSE(AnyClassesLeft(kUserClasses));
    ASSERT_EQ(S_OK, theDll().install(FALSE, nullptr));
    EXPECT_FALSE(AnyClassesLeft(kMachineClasses));
}

}  // namespace
}  // namespace quillet::test
