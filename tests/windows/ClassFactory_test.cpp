// DllGetClassObject, the class factory of Connect and DllCanUnloadNow: which
// classes COM can get, what the factory refuses, and when the DLL may go.

#include <objbase.h>

#include <gtest/gtest.h>

#include "Quillet.h"
#include "platform/win32/ComPtr.h"
#include "tests/windows/OutVoid.h"
#include "tests/windows/QuilletDll.h"

namespace quillet::test {
namespace {

using quillet::win32::ComPtr;

// A class that the component does not serve.
constexpr CLSID kOtherClass = {0x6c4a2b1e, 0x93d7, 0x4f20, {0x8e, 0x51, 0x0a, 0x7c, 0x3b, 0x94, 0xd2, 0x16}};

class ClassFactory : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dllLoaded());
        // Every test starts from a component with nothing alive; one that
        // leaked an object would show here in the next test too.
        ASSERT_EQ(S_OK, theDll().canUnloadNow());
    }

    static HRESULT GetFactory(REFCLSID clsid, REFIID iid, ComPtr<IClassFactory>& factory) {
        return theDll().getClassObject(clsid, iid, outVoid(factory));
    }
    static HRESULT CanUnloadNow() { return theDll().canUnloadNow(); }
};

TEST_F(ClassFactory, AnotherClassIsNotAvailableAndNothingIsCreated) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, theDll().getClassObject(kOtherClass, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, theDll().getClassObject(IID__Connect, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(S_OK, CanUnloadNow());
}

TEST_F(ClassFactory, ConnectsFactoryAnswersIClassFactoryAndIUnknownOnly) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));
    EXPECT_TRUE(factory);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, theDll().getClassObject(CLSID_Connect, IID_IUnknown, outVoid(unknown)));
    EXPECT_TRUE(unknown);

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, theDll().getClassObject(CLSID_Connect, IID_IDispatch, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(E_POINTER, theDll().getClassObject(CLSID_Connect, IID_IClassFactory, nullptr));
}

TEST_F(ClassFactory, RefusesAggregation) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));
    // Any object will do as the would-be outer one; it is never called.
    IUnknown* outer = factory.get();

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ClassFactory, CreatesConnectWithItsInterfaces) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));

    ComPtr<IUnknown> connect;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, outVoid(connect)));
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(S_OK, connect->QueryInterface(IID__Connect, outVoid(dispatch)));
    EXPECT_EQ(S_OK, connect->QueryInterface(IID_IDispatch, outVoid(dispatch)));

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ClassFactory, DllStaysWhileAConnectLives) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));
    ComPtr<IUnknown> connect;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, outVoid(connect)));
    factory = {};

    EXPECT_EQ(S_FALSE, CanUnloadNow());
    connect = {};
    EXPECT_EQ(S_OK, CanUnloadNow());
}

TEST_F(ClassFactory, DllStaysWhileTheFactoryIsLocked) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    factory = {};
    EXPECT_EQ(S_FALSE, CanUnloadNow());

    ASSERT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    factory = {};
    EXPECT_EQ(S_OK, CanUnloadNow());
}

TEST_F(ClassFactory, DllStaysWhileAFactoryIsHeld) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, GetFactory(CLSID_Connect, IID_IClassFactory, factory));
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    factory = {};
    EXPECT_EQ(S_OK, CanUnloadNow());
}

}  // namespace
}  // namespace quillet::test
