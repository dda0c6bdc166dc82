// The type library embedded in Quillet.dll, read back the way COM reads it:
// the library's attributes, _Connect with its seven members, and the class
// Connect.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "Quillet.h"
#include "host/com/HostRoles.h"
#include "platform/win32/ComPtr.h"
#include "tests/windows/QuilletDll.h"
#include "tests/windows/ResourceProbe.h"

namespace quillet::test {
namespace {

using quillet::win32::ComPtr;

/// Each build's library is for the Windows of its own pointer size.
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

/// A TYPEATTR or FUNCDESC that goes back to its ITypeInfo at scope end.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) {
        if (FAILED(info_->GetTypeAttr(&attr_))) attr_ = nullptr;
    }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    ~TypeAttr() {
        if (attr_) info_->ReleaseTypeAttr(attr_);
    }
    const TYPEATTR* operator->() const { return attr_; }
    explicit operator bool() const { return attr_ != nullptr; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

class FuncDesc {
public:
    FuncDesc(ITypeInfo* info, UINT index) : info_(info) {
        if (FAILED(info_->GetFuncDesc(index, &desc_))) desc_ = nullptr;
    }
    FuncDesc(const FuncDesc&) = delete;
    FuncDesc& operator=(const FuncDesc&) = delete;
    ~FuncDesc() {
        if (desc_) info_->ReleaseFuncDesc(desc_);
    }
    const FUNCDESC* operator->() const { return desc_; }
    explicit operator bool() const { return desc_ != nullptr; }

private:
    ITypeInfo* info_;
    FUNCDESC* desc_ = nullptr;
};

std::wstring takeText(BSTR text) {
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return result;
}

std::wstring memberName(ITypeInfo* info, MEMBERID id) {
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return {};
    return takeText(name);
}

/// The interface half of the dual _Connect: its vtable members in slot order.
ComPtr<ITypeInfo> connectInterface(ITypeInfo* dispatch) {
    ComPtr<ITypeInfo> result;
    HREFTYPE interfaceHalf = 0;
    if (FAILED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceHalf))) return result;
    dispatch->GetRefTypeInfo(interfaceHalf, result.out());
    return result;
}

/// The interface that a member's user-defined type names, through the
/// reference that the type library holds for it.
GUID referencedInterface(ITypeInfo* info, const TYPEDESC& type) {
    const TYPEDESC* named = &type;
    while (named->vt == VT_PTR) named = named->lptdesc;
    if (named->vt != VT_USERDEFINED) return GUID_NULL;
    ComPtr<ITypeInfo> referenced;
    if (FAILED(info->GetRefTypeInfo(named->hreftype, referenced.out()))) return GUID_NULL;
    TypeAttr attr(referenced.get());
    return attr ? attr->guid : GUID_NULL;
}

int pointerDepth(const TYPEDESC& type) {
    int depth = 0;
    for (const TYPEDESC* t = &type; t->vt == VT_PTR; t = t->lptdesc) ++depth;
    return depth;
}

constexpr WORD kConnectFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                               TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

/// What the compiled library holds, read from its bytes rather than through
/// the loader, which reports some flags otherwise. The layout is that of the
/// platform's "MSFT" type library files.
struct StoredLibrary {
    DWORD lcid = 0xFFFFFFFF;
    DWORD syskind = 0xFFFFFFFF;
    DWORD libraryFlags = 0xFFFFFFFF;
    std::vector<DWORD> typeFlags;  // by type index
};

bool readStoredLibrary(const BYTE* data, size_t size, StoredLibrary& stored) {
    constexpr size_t kHeaderSize = 0x54;
    constexpr DWORD kHasHelpDll = 0x100;
    constexpr size_t kTypeInfoSize = 0x64;
    constexpr size_t kTypeFlagsAt = 0x30;
    auto read = [&](size_t at, DWORD& value) {
        if (at + sizeof(value) > size) return false;
        std::memcpy(&value, data + at, sizeof(value));
        return true;
    };

    DWORD magic = 0;
    DWORD varflags = 0;
    DWORD count = 0;
    if (!read(0x00, magic) || magic != 0x5446534D /* "MSFT" */) return false;
    if (!read(0x0C, stored.lcid) || !read(0x14, varflags) || !read(0x1C, stored.libraryFlags) ||
        !read(0x20, count))
        return false;
    stored.syskind = varflags & 0x0F;

    // The header, a help DLL's name when there is one, the offsets of the type
    // infos, then the segment directory, whose first segment is the table of
    // type infos.
    const size_t directory = kHeaderSize + ((varflags & kHasHelpDll) ? 4 : 0) + count * sizeof(DWORD);
    DWORD table = 0;
    if (!read(directory, table)) return false;
    for (DWORD index = 0; index < count; ++index) {
        DWORD flags = 0;
        if (!read(table + index * kTypeInfoSize + kTypeFlagsAt, flags)) return false;
        stored.typeFlags.push_back(flags);
    }
    return true;
}

class TypeLibrary : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dllLoaded());
        ASSERT_EQ(S_OK, LoadTypeLibEx(theDll().path.c_str(), REGKIND_NONE, library_.out()));
        ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(IID__Connect, connect_.out()));
        ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(CLSID_Connect, coclass_.out()));
    }

    ComPtr<ITypeLib> library_;
    ComPtr<ITypeInfo> connect_;
    ComPtr<ITypeInfo> coclass_;
};

TEST_F(TypeLibrary, IsEmbeddedAsTypelibResourceOneInTheNeutralLanguageOnly) {
    EXPECT_NE(nullptr, FindResourceExW(theDll().module, L"TYPELIB", MAKEINTRESOURCEW(1),
                                       MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)));
    EXPECT_EQ(std::vector<ULONG_PTR>{1}, resourceIds(theDll().module, L"TYPELIB"));
    EXPECT_EQ(std::vector<WORD>{MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)},
              resourceLanguages(theDll().module, L"TYPELIB", MAKEINTRESOURCEW(1)));
}

TEST_F(TypeLibrary, StoredInTheResourceNeutralForItsWindowsWithoutFlags) {
    HRSRC found = FindResourceExW(theDll().module, L"TYPELIB", MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(nullptr, found);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(theDll().module, found)));
    ASSERT_NE(nullptr, data);
    StoredLibrary stored;
    ASSERT_TRUE(readStoredLibrary(data, SizeofResource(theDll().module, found), stored));

    EXPECT_EQ(0u, stored.lcid);
    EXPECT_EQ(static_cast<DWORD>(kSysKind), stored.syskind);
    EXPECT_EQ(0u, stored.libraryFlags);
    EXPECT_EQ((std::vector<DWORD>{kConnectFlags, TYPEFLAG_FCANCREATE}), stored.typeFlags);
}

TEST_F(TypeLibrary, LibraryAttributesNameAndHelpString) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, library_->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_TarnwickFindReplace, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    EXPECT_EQ(0u, attr->lcid);
    EXPECT_EQ(kSysKind, attr->syskind);
    // The loader marks every library that it read from a file; the file itself
    // holds no flags (StoredInTheResource checks that).
    EXPECT_EQ(LIBFLAG_FHASDISKIMAGE, attr->wLibFlags | LIBFLAG_FHASDISKIMAGE);
    library_->ReleaseTLibAttr(attr);

    BSTR name = nullptr;
    BSTR help = nullptr;
    DWORD helpContext = 1;
    BSTR helpFile = nullptr;
    ASSERT_EQ(S_OK, library_->GetDocumentation(-1, &name, &help, &helpContext, &helpFile));
    EXPECT_EQ(L"TarnwickFindReplace", takeText(name));
    EXPECT_EQ(L"Find and Replace across multiple text boxes", takeText(help));
    EXPECT_EQ(0u, helpContext);
    EXPECT_EQ(L"", takeText(helpFile));
}

TEST_F(TypeLibrary, DescribesConnectInterfaceThenTheClass) {
    ASSERT_EQ(2u, library_->GetTypeInfoCount());
    TYPEKIND kind{};
    ASSERT_EQ(S_OK, library_->GetTypeInfoType(0, &kind));
    EXPECT_EQ(TKIND_DISPATCH, kind);
    ASSERT_EQ(S_OK, library_->GetTypeInfoType(1, &kind));
    EXPECT_EQ(TKIND_COCLASS, kind);

    BSTR name = nullptr;
    ASSERT_EQ(S_OK, library_->GetDocumentation(0, &name, nullptr, nullptr, nullptr));
    EXPECT_EQ(L"_Connect", takeText(name));
    ASSERT_EQ(S_OK, library_->GetDocumentation(1, &name, nullptr, nullptr, nullptr));
    EXPECT_EQ(L"Connect", takeText(name));
}

TEST_F(TypeLibrary, ConnectInterfaceIsAHiddenDualInterfaceOnIDispatch) {
    TypeAttr dispatch(connect_.get());
    ASSERT_TRUE(dispatch);
    EXPECT_EQ(TKIND_DISPATCH, dispatch->typekind);
    // The loader shows OLE-automation on the interface half of a dual interface
    // only, though the library stores it on the one entry that both halves come
    // from (see StoredInTheResource).
    EXPECT_EQ(kConnectFlags & ~TYPEFLAG_FOLEAUTOMATION, dispatch->wTypeFlags);
    EXPECT_EQ(1, dispatch->wMajorVerNum);
    EXPECT_EQ(0, dispatch->wMinorVerNum);

    ComPtr<ITypeInfo> vtable = connectInterface(connect_.get());
    ASSERT_TRUE(vtable);
    TypeAttr attr(vtable.get());
    ASSERT_TRUE(attr);
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_EQ(kConnectFlags, attr->wTypeFlags);
    EXPECT_TRUE(IsEqualIID(IID__Connect, attr->guid));
    EXPECT_EQ(7, attr->cFuncs);
    EXPECT_EQ(0, attr->cVars);
    // IUnknown's 3 and IDispatch's 4 slots, then the 7 of _Connect.
    EXPECT_EQ(14 * sizeof(void*), attr->cbSizeVft);
    ASSERT_EQ(1, attr->cImplTypes);
    HREFTYPE base = 0;
    ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &base));
    ComPtr<ITypeInfo> baseInfo;
    ASSERT_EQ(S_OK, vtable->GetRefTypeInfo(base, baseInfo.out()));
    TypeAttr baseAttr(baseInfo.get());
    ASSERT_TRUE(baseAttr);
    EXPECT_TRUE(IsEqualIID(IID_IDispatch, baseAttr->guid));
}

struct Member {
    const wchar_t* name;
    INVOKEKIND kind;
    MEMBERID id;
};

// In slot order.
constexpr Member kMembers[] = {
    {L"pubApp", INVOKE_PROPERTYGET, 0x40030000},
    {L"pubApp", INVOKE_PROPERTYPUTREF, 0x40030000},
    {L"cbbFind", INVOKE_PROPERTYGET, 0x40030002},
    {L"cbbFind", INVOKE_PROPERTYPUTREF, 0x40030002},
    {L"cbbReplace", INVOKE_PROPERTYGET, 0x40030003},
    {L"cbbReplace", INVOKE_PROPERTYPUTREF, 0x40030003},
    {L"AddToolbar", INVOKE_FUNC, 0x60030002},
};

TEST_F(TypeLibrary, ConnectMembersInSlotOrderWithKindsIdsAndHresultReturns) {
    ComPtr<ITypeInfo> vtable = connectInterface(connect_.get());
    ASSERT_TRUE(vtable);
    for (UINT slot = 0; slot < std::size(kMembers); ++slot) {
        const Member& expected = kMembers[slot];
        SCOPED_TRACE(testing::Message() << "slot " << slot);
        FuncDesc func(vtable.get(), slot);
        ASSERT_TRUE(func);
        EXPECT_EQ(expected.name, memberName(vtable.get(), func->memid));
        EXPECT_EQ(expected.kind, func->invkind);
        EXPECT_EQ(expected.id, func->memid);
        EXPECT_EQ(CC_STDCALL, func->callconv);
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        EXPECT_EQ(static_cast<SHORT>((7 + slot) * sizeof(void*)), func->oVft);

        switch (expected.kind) {
        case INVOKE_PROPERTYGET:
            // The value comes back through an out parameter marked as the return value.
            ASSERT_EQ(1, func->cParams);
            EXPECT_EQ(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, func->lprgelemdescParam[0].paramdesc.wParamFlags);
            EXPECT_EQ(2, pointerDepth(func->lprgelemdescParam[0].tdesc));
            break;
        case INVOKE_PROPERTYPUTREF:
            ASSERT_EQ(1, func->cParams);
            EXPECT_EQ(PARAMFLAG_FIN, func->lprgelemdescParam[0].paramdesc.wParamFlags);
            EXPECT_EQ(1, pointerDepth(func->lprgelemdescParam[0].tdesc));
            break;
        default:
            EXPECT_EQ(0, func->cParams);
            break;
        }
    }
}

TEST_F(TypeLibrary, DispatchNamesMapToTheMemberIds) {
    for (const Member& member : kMembers) {
        LPOLESTR name = const_cast<LPOLESTR>(member.name);
        MEMBERID id = MEMBERID_NIL;
        EXPECT_EQ(S_OK, connect_->GetIDsOfNames(&name, 1, &id)) << member.name;
        EXPECT_EQ(member.id, id) << member.name;
    }
}

/// The host's type libraries are not the component's to register: an
/// installed host has them registered. Here the libraries that the component
/// imports (as far as it names their types) are registered in the tests'
/// prefix, never in one that a host runs in.
class TypeLibraryWithHostLibraries : public TypeLibrary {
protected:
    void SetUp() override {
        TypeLibrary::SetUp();
        if (HasFatalFailure()) return;
        const std::string folder = QUILLET_IDL_DIR;
        for (const char* file : {"/MSPUB.TLB", "/MSO.DLL"}) {
            const std::string path = "Z:" + folder + file;
            const std::wstring widePath(path.begin(), path.end());
            ComPtr<ITypeLib> imported;
            ASSERT_EQ(S_OK, LoadTypeLibEx(widePath.c_str(), REGKIND_REGISTER, imported.out())) << path;
        }
    }
};

TEST_F(TypeLibraryWithHostLibraries, PropertiesTakeTheHostsApplicationAndOfficeButtons) {
    ComPtr<ITypeInfo> vtable = connectInterface(connect_.get());
    ASSERT_TRUE(vtable);
    for (UINT slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(testing::Message() << "slot " << slot);
        FuncDesc func(vtable.get(), slot);
        ASSERT_TRUE(func);
        ASSERT_EQ(1, func->cParams);
        const GUID& expected = slot < 2 ? com::roles::kApplication.iid : com::roles::kToolbarButton.iid;
        EXPECT_TRUE(IsEqualIID(expected, referencedInterface(vtable.get(), func->lprgelemdescParam[0].tdesc)));
    }
}

TEST_F(TypeLibrary, ConnectIsCreatableWithConnectInterfaceAsItsDefaultAndNoEvents) {
    TypeAttr attr(coclass_.get());
    ASSERT_TRUE(attr);
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_EQ(TYPEFLAG_FCANCREATE, attr->wTypeFlags);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    ASSERT_EQ(1, attr->cImplTypes);

    INT flags = 0;
    ASSERT_EQ(S_OK, coclass_->GetImplTypeFlags(0, &flags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags) << "a source interface, or not the default";
    HREFTYPE implemented = 0;
    ASSERT_EQ(S_OK, coclass_->GetRefTypeOfImplType(0, &implemented));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, coclass_->GetRefTypeInfo(implemented, info.out()));
    TypeAttr implementedAttr(info.get());
    ASSERT_TRUE(implementedAttr);
    EXPECT_TRUE(IsEqualIID(IID__Connect, implementedAttr->guid));
}

}  // namespace
}  // namespace quillet::test
