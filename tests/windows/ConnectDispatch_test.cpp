// Connect as a host that knows only names reaches it: _Connect's members and
// the add-in connection interface through IDispatch, dispatched by the DLL
// itself, with no host type library involved.

#include <gtest/gtest.h>

#include "AddInDesigner.h"
#include "Quillet.h"
#include "host/com/LateBinding.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/Variant.h"
#include "simhost/com/AddinLoader.h"
#include "simhost/com/ComHost.h"
#include "tests/windows/ComHostTesting.h"
#include "tests/windows/OutVoid.h"
#include "tests/windows/QuilletDll.h"

namespace quillet::test {
namespace {

using quillet::com::Call;
using quillet::win32::ComPtr;
using quillet::win32::Variant;
namespace roles = quillet::com::roles;

class ConnectDispatch : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dllLoaded());
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, theDll().getClassObject(CLSID_Connect, IID_IClassFactory, outVoid(factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, outVoid(connect_)));
        extensibility_ = connect_.query<IDispatch>(IID__IDTExtensibility2);
        ASSERT_TRUE(extensibility_);
        ASSERT_EQ(S_OK, simhost::com::createComApplication(host_.application(), app_.out()));
    }

    /// Whether member `name` of Connect holds an object, read by name.
    bool Holds(const wchar_t* name) {
        auto value = quillet::com::invoke(connect_.get(), name, Call::Get);
        EXPECT_TRUE(value) << name;
        return value && V_VT(&value->get()) == VT_DISPATCH && V_DISPATCH(&value->get()) != nullptr;
    }

    /// A raw Invoke of `id`, for the answers that the late-binding helper turns into failures.
    static HRESULT Invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANTARG> lastFirst,
                          bool namedPut = false, UINT* argumentError = nullptr) {
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{lastFirst.data(), namedPut ? &put : nullptr, static_cast<UINT>(lastFirst.size()),
                          namedPut ? 1u : 0u};
        Variant result;
        return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.out(), nullptr, argumentError);
    }

    /// The host connects the add-in through Invoke, as a dispatching host does.
    HRESULT ConnectByName(IDispatch* application, LONG mode) {
        SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
        std::vector<VARIANTARG> arguments(4);
        V_VT(&arguments[0]) = VT_ARRAY | VT_VARIANT | VT_BYREF;
        V_ARRAYREF(&arguments[0]) = &custom;
        V_VT(&arguments[1]) = VT_DISPATCH;
        V_DISPATCH(&arguments[1]) = nullptr;
        V_VT(&arguments[2]) = VT_I4;
        V_I4(&arguments[2]) = mode;
        V_VT(&arguments[3]) = VT_DISPATCH;
        V_DISPATCH(&arguments[3]) = application;
        const HRESULT hr = Invoke(extensibility_.get(), 1, DISPATCH_METHOD, std::move(arguments));
        SafeArrayDestroy(custom);
        return hr;
    }

    simhost::InMemoryHost host_ = makeHost();
    ComPtr<IDispatch> app_;
    ComPtr<IDispatch> connect_;
    ComPtr<IDispatch> extensibility_;
};

TEST_F(ConnectDispatch, MembersAreFoundByNameUnderTheirTypeLibrarysIds) {
    const std::pair<const wchar_t*, DISPID> members[] = {
        {L"pubApp", 0x40030000}, {L"CBBFIND", 0x40030002}, {L"cbbReplace", 0x40030003}, {L"addtoolbar", 0x60030002}};
    for (const auto& [name, expected] : members) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(S_OK, connect_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
        EXPECT_EQ(expected, id) << name;
    }
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"cbToolbar")};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, connect_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);

    // Its type information is the embedded one.
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, connect_->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.out()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attributes));
    EXPECT_TRUE(IsEqualIID(IID__Connect, attributes->guid));
    info->ReleaseTypeAttr(attributes);
}

TEST_F(ConnectDispatch, AConnectionThroughInvokeKeepsTheApplicationAndBuildsTheBar) {
    EXPECT_FALSE(Holds(L"pubApp"));
    EXPECT_FALSE(Holds(L"cbbFind"));

    ASSERT_EQ(S_OK, ConnectByName(app_.get(), 1));
    EXPECT_TRUE(Holds(L"pubApp"));
    // The host has the bar already, with a "Find" button but no "Replace": it is attached to, not rebuilt.
    EXPECT_TRUE(Holds(L"cbbFind"));
    EXPECT_FALSE(Holds(L"cbbReplace"));
    ASSERT_EQ(1u, host_.commandBars().bars().size());

    // pubApp answers as the host's application.
    auto pubApp = quillet::com::asObject(quillet::com::invoke(connect_.get(), L"pubApp", Call::Get), roles::kApplication);
    ASSERT_TRUE(pubApp);

    // A disconnection by the user, through Invoke too, deletes the bar.
    SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    std::vector<VARIANTARG> arguments(2);
    V_VT(&arguments[0]) = VT_ARRAY | VT_VARIANT | VT_BYREF;
    V_ARRAYREF(&arguments[0]) = &custom;
    V_VT(&arguments[1]) = VT_I4;
    V_I4(&arguments[1]) = 1;
    EXPECT_EQ(S_OK, Invoke(extensibility_.get(), 2, DISPATCH_METHOD, std::move(arguments)));
    SafeArrayDestroy(custom);
    EXPECT_TRUE(host_.commandBars().bars().empty());
}

TEST_F(ConnectDispatch, TheConnectionInterfaceAnswersItsPublishedMembersOnly) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"OnStartupComplete")};
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, extensibility_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(4, id);

    std::vector<VARIANTARG> custom(1);
    V_VT(&custom[0]) = VT_EMPTY;
    EXPECT_EQ(S_OK, Invoke(extensibility_.get(), 3, DISPATCH_METHOD, custom));
    EXPECT_EQ(S_OK, Invoke(extensibility_.get(), 5, DISPATCH_METHOD, custom));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(extensibility_.get(), 6, DISPATCH_METHOD, custom));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(extensibility_.get(), 4, DISPATCH_PROPERTYGET, custom));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Invoke(extensibility_.get(), 1, DISPATCH_METHOD, custom));

    // A mode that is no number is the caller's mistake, named by its position.
    std::vector<VARIANTARG> arguments(4);
    V_VT(&arguments[0]) = VT_EMPTY;
    V_VT(&arguments[1]) = VT_EMPTY;
    V_VT(&arguments[2]) = VT_DISPATCH;
    V_DISPATCH(&arguments[2]) = app_.get();
    V_VT(&arguments[3]) = VT_DISPATCH;
    V_DISPATCH(&arguments[3]) = app_.get();
    UINT position = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Invoke(extensibility_.get(), 1, DISPATCH_METHOD, arguments, false, &position));
    EXPECT_EQ(2u, position);
    EXPECT_TRUE(host_.commandBars().bars().at(0).controls.size() == 2);  // nothing was built
}

TEST_F(ConnectDispatch, ObjectMembersAreSetByReferenceToObjectsInTheirRole) {
    VARIANTARG value;
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = app_.get();
    EXPECT_EQ(S_OK, Invoke(connect_.get(), 0x40030000, DISPATCH_PROPERTYPUTREF, {value}, /*namedPut=*/true));
    EXPECT_TRUE(Holds(L"pubApp"));
    // By value it is not published; and without the named argument it is no assignment.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(connect_.get(), 0x40030000, DISPATCH_PROPERTYPUT, {value}, true));
    EXPECT_EQ(DISP_E_PARAMNOTFOUND, Invoke(connect_.get(), 0x40030000, DISPATCH_PROPERTYPUTREF, {value}, false));

    // An object that is no application does not fit; Nothing empties the member.
    ComPtr<IDispatch> foreign;
    ASSERT_EQ(S_OK, simhost::com::createForeignHostObject(foreign.out()));
    V_DISPATCH(&value) = foreign.get();
    UINT position = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH,
              Invoke(connect_.get(), 0x40030000, DISPATCH_PROPERTYPUTREF, {value}, true, &position));
    EXPECT_EQ(0u, position);
    EXPECT_TRUE(Holds(L"pubApp"));
    V_DISPATCH(&value) = nullptr;
    EXPECT_EQ(S_OK, Invoke(connect_.get(), 0x40030000, DISPATCH_PROPERTYPUTREF, {value}, true));
    EXPECT_FALSE(Holds(L"pubApp"));

    // AddToolbar is a method without arguments.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(connect_.get(), 0x60030002, DISPATCH_PROPERTYGET, {}));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Invoke(connect_.get(), 0x60030002, DISPATCH_METHOD, {value}));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(connect_.get(), 0x12345, DISPATCH_METHOD, {}));
}

TEST_F(ConnectDispatch, TheVtableAndInvokeReachTheSameMembers) {
    ComPtr<_Connect> vtable = connect_.query<_Connect>(IID__Connect);
    ASSERT_TRUE(vtable);
    ASSERT_EQ(S_OK, vtable->putref_pubApp(reinterpret_cast<::Application*>(app_.get())));
    EXPECT_TRUE(Holds(L"pubApp"));

    ASSERT_EQ(S_OK, ConnectByName(app_.get(), 1));
    ComPtr<IDispatch> button;
    ASSERT_EQ(S_OK, vtable->get_cbbFind(reinterpret_cast<::ToolbarButton**>(button.out())));
    auto byName = quillet::com::invoke(connect_.get(), L"cbbFind", Call::Get);
    ASSERT_TRUE(byName);
    EXPECT_EQ(button.get(), V_DISPATCH(&byName->get()));

    // An object that is no application: the vtable says so, Invoke names the argument.
    ComPtr<IDispatch> foreign;
    ASSERT_EQ(S_OK, simhost::com::createForeignHostObject(foreign.out()));
    EXPECT_EQ(E_NOINTERFACE, vtable->putref_pubApp(reinterpret_cast<::Application*>(foreign.get())));
    EXPECT_TRUE(Holds(L"pubApp"));
}

TEST_F(ConnectDispatch, AnAssignmentIsCheckedAlikeByTheAddinAndByTheHost) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"ScreenUpdating")};
    DISPID screenUpdating = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, app_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &screenUpdating));
    VARIANTARG value;
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = VARIANT_FALSE;
    const std::pair<IDispatch*, std::pair<DISPID, WORD>> assignments[] = {
        {connect_.get(), {0x40030000, DISPATCH_PROPERTYPUTREF}},
        {app_.get(), {screenUpdating, DISPATCH_PROPERTYPUT}}};
    for (const auto& [object, member] : assignments) {
        // Without the named argument it is no assignment; its value is one argument, no more.
        EXPECT_EQ(DISP_E_PARAMNOTFOUND, Invoke(object, member.first, member.second, {value}, /*namedPut=*/false));
        EXPECT_EQ(DISP_E_BADPARAMCOUNT, Invoke(object, member.first, member.second, {value, value}, true));
        EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, object->Invoke(member.first, IID_IDispatch, LOCALE_USER_DEFAULT,
                                                          member.second, nullptr, nullptr, nullptr, nullptr));
    }
}

}  // namespace
}  // namespace quillet::test
