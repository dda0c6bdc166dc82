// The add-in's calls to the host by member name (host/com/LateBinding), against
// a fake host object that records what it is asked and answers as scripted.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/com/LateBinding.h"
#include "platform/win32/Bstr.h"

namespace quillet::test {
namespace {

using com::Call;
using win32::Bstr;
using win32::ComPtr;
using win32::Variant;

constexpr int32_t kUnknownName = -2147352570;     // DISP_E_UNKNOWNNAME
constexpr int32_t kMemberNotFound = -2147352573;  // DISP_E_MEMBERNOTFOUND

/// One Invoke as the fake saw it: arguments in DISPPARAMS order (last first).
struct SeenCall {
    DISPID id = 0;
    WORD flags = 0;
    std::vector<VARTYPE> types;
    std::vector<LONG> numbers;  // for VT_I4 arguments, else 0
    std::vector<std::wstring> texts;  // for VT_BSTR arguments, else empty
    std::vector<DISPID> named;
    bool wantsResult = false;
};

/// A host object with the members it is given. Its Invoke records the call
/// and runs `answer`, which fills the result or the exception.
class FakeObject final : public IDispatch {
public:
    using Answer = std::function<HRESULT(VARIANT* result, EXCEPINFO* exception)>;

    explicit FakeObject(std::map<std::wstring, DISPID> names, const IID* role = nullptr)
        : names_(std::move(names)), role_(role) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !(role_ && IsEqualIID(iid, *role_)))
            return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        EXPECT_TRUE(IsEqualIID(iid, IID_NULL));
        EXPECT_EQ(1u, count);
        const auto found = names_.find(names[0]);
        if (found == names_.end()) {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        ids[0] = found->second;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        EXPECT_TRUE(IsEqualIID(iid, IID_NULL));
        SeenCall call;
        call.id = id;
        call.flags = flags;
        call.wantsResult = result != nullptr;
        for (UINT i = 0; i < params->cArgs; ++i) {
            const VARIANT& argument = params->rgvarg[i];
            call.types.push_back(V_VT(&argument));
            call.numbers.push_back(V_VT(&argument) == VT_I4 ? V_I4(&argument) : 0);
            call.texts.push_back(V_VT(&argument) == VT_BSTR ? std::wstring(V_BSTR(&argument)) : std::wstring());
        }
        call.named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
        calls.push_back(std::move(call));
        if (!answers.empty()) {
            Answer answer = std::move(answers.front());
            answers.erase(answers.begin());
            return answer(result, exception);
        }
        return S_OK;
    }

    std::vector<SeenCall> calls;
    /// What the next Invokes answer, in order; S_OK with no result when none is left.
    std::vector<Answer> answers;

private:
    static HRESULT Unexpected() {
        ADD_FAILURE() << "unexpected call";
        return E_NOTIMPL;
    }

    std::map<std::wstring, DISPID> names_;
    const IID* role_;
    ULONG refs_ = 1;
};

FakeObject::Answer returns(Variant value) {
    auto shared = std::make_shared<Variant>(std::move(value));
    return [shared](VARIANT* result, EXCEPINFO*) {
        EXPECT_NE(nullptr, result);
        if (result) VariantCopy(result, const_cast<VARIANT*>(&shared->get()));
        return S_OK;
    };
}

/// A Long answered as a short, as some hosts do.
Variant shortNumber(SHORT number) {
    Variant value;
    VARIANT* raw = value.out();
    V_VT(raw) = VT_I2;
    V_I2(raw) = number;
    return value;
}

FakeObject::Answer fails(HRESULT hr) {
    return [hr](VARIANT*, EXCEPINFO*) { return hr; };
}

/// The host's error as an EXCEPINFO filled at once.
FakeObject::Answer raises(HRESULT scode, WORD wCode, const wchar_t* description) {
    return [=](VARIANT*, EXCEPINFO* exception) {
        exception->scode = scode;
        exception->wCode = wCode;
        exception->bstrSource = SysAllocString(L"Fake");
        exception->bstrDescription = description ? SysAllocString(description) : nullptr;
        return DISP_E_EXCEPTION;
    };
}

HRESULT STDAPICALLTYPE FillInLater(EXCEPINFO* exception) {
    exception->scode = static_cast<HRESULT>(0x8004001F);
    exception->bstrDescription = SysAllocString(L"Filled in on request");
    return S_OK;
}

TEST(LateBinding, ArgumentsGoLastFirstAndAPutPassesItsValueAsTheNamedPutArgument) {
    FakeObject span({{L"Characters", 17}, {L"Text", 3}});
    span.answers.push_back(returns(Variant::object(&span)));
    ASSERT_TRUE(com::invoke(&span, L"Characters", Call::MethodOrGet, {Variant::number(5), Variant::number(3)}));
    ASSERT_TRUE(com::invoke(&span, L"Text", Call::Put, {Variant::text(u"dog")}));

    ASSERT_EQ(2u, span.calls.size());
    const SeenCall& characters = span.calls[0];
    EXPECT_EQ(17, characters.id);
    EXPECT_EQ(DISPATCH_METHOD | DISPATCH_PROPERTYGET, characters.flags);
    EXPECT_EQ((std::vector<LONG>{3, 5}), characters.numbers);  // Length, then Start
    EXPECT_TRUE(characters.named.empty());
    EXPECT_TRUE(characters.wantsResult);

    const SeenCall& text = span.calls[1];
    EXPECT_EQ(3, text.id);
    EXPECT_EQ(DISPATCH_PROPERTYPUT, text.flags);
    EXPECT_EQ((std::vector<std::wstring>{L"dog"}), text.texts);
    EXPECT_EQ((std::vector<DISPID>{DISPID_PROPERTYPUT}), text.named);
    EXPECT_FALSE(text.wantsResult);
}

TEST(LateBinding, OptionalArgumentsAreLeftOutAndBooleansAreVariantBooleans) {
    FakeObject controls({{L"Add", 1}, {L"Visible", 2}});
    ASSERT_TRUE(com::invoke(&controls, L"Add", Call::Method));
    ASSERT_TRUE(com::invoke(&controls, L"Add", Call::Method, {Variant::number(1)}));
    ASSERT_TRUE(com::invoke(&controls, L"Visible", Call::Put, {Variant::boolean(true)}));
    ASSERT_EQ(3u, controls.calls.size());
    EXPECT_TRUE(controls.calls[0].types.empty());
    EXPECT_EQ((std::vector<VARTYPE>{VT_I4}), controls.calls[1].types);
    EXPECT_EQ((std::vector<VARTYPE>{VT_BOOL}), controls.calls[2].types);
}

TEST(LateBinding, AMissingMemberIsTheCallsFailureAndNothingIsInvoked) {
    FakeObject application({{L"ActiveDocument", 5}});
    auto result = com::invoke(&application, L"ActivePublication", Call::Get);
    ASSERT_FALSE(result);
    EXPECT_EQ(kUnknownName, result.error().number);
    EXPECT_FALSE(result.error().description.empty());
    EXPECT_TRUE(application.calls.empty());
}

TEST(LateBinding, ResultsAreCoercedToWhatTheAddinReads) {
    FakeObject pages({{L"Count", 1}, {L"PageNumber", 2}});
    pages.answers.push_back(returns(shortNumber(7)));
    pages.answers.push_back(returns(Variant::text(u"12")));
    pages.answers.push_back(returns(Variant::number(3)));
    pages.answers.push_back(returns(Variant::text(u"twelve")));

    EXPECT_EQ(7, *com::asNumber(com::invoke(&pages, L"Count", Call::Get)));
    EXPECT_EQ(12, *com::asNumber(com::invoke(&pages, L"Count", Call::Get)));
    EXPECT_EQ(u"3", *com::asText(com::invoke(&pages, L"PageNumber", Call::Get)));
    auto notANumber = com::asNumber(com::invoke(&pages, L"Count", Call::Get));
    ASSERT_FALSE(notANumber);
    EXPECT_EQ(static_cast<int32_t>(DISP_E_TYPEMISMATCH), notANumber.error().number);
}

TEST(LateBinding, AnObjectResultIsAskedForItsRoleAndAnEmptyOneIsError91) {
    FakeObject page({}, &com::roles::kPage.iid);
    FakeObject stranger({});
    FakeObject view({{L"ActivePage", 9}});
    view.answers.push_back(returns(Variant::object(&page)));
    view.answers.push_back(returns(Variant::object(nullptr)));
    view.answers.push_back(returns(Variant()));
    view.answers.push_back(returns(Variant::object(&stranger)));

    auto found = com::asObject(com::invoke(&view, L"ActivePage", Call::Get), com::roles::kPage);
    ASSERT_TRUE(found);
    EXPECT_EQ(static_cast<IDispatch*>(&page), found->get());
    for (int empty = 0; empty < 2; ++empty) {
        auto none = com::asObject(com::invoke(&view, L"ActivePage", Call::Get), com::roles::kPage);
        ASSERT_FALSE(none);
        EXPECT_EQ(errors::objectNotSet(), none.error());
    }
    auto wrongRole = com::asObject(com::invoke(&view, L"ActivePage", Call::Get), com::roles::kPage);
    ASSERT_FALSE(wrongRole);
    EXPECT_EQ(static_cast<int32_t>(E_NOINTERFACE), wrongRole.error().number);
}

TEST(LateBinding, TheHostsExceptionIsTheFailureWithItsNumberAndDescription) {
    FakeObject span({{L"Select", 4}});
    span.answers.push_back(raises(static_cast<HRESULT>(0x8004001F), 0, L"Not on this page."));
    span.answers.push_back(raises(S_OK, 1004, L"Application-defined error."));
    span.answers.push_back(raises(E_FAIL, 0, nullptr));
    span.answers.push_back([](VARIANT*, EXCEPINFO* exception) {
        exception->pfnDeferredFillIn = &FillInLater;
        return DISP_E_EXCEPTION;
    });

    auto refused = com::invoke(&span, L"Select", Call::Method);
    ASSERT_FALSE(refused);
    EXPECT_EQ((RaisedError{-2147221473, u"Not on this page."}), refused.error());

    // A wCode is an automation error: 0x800A0000 + wCode.
    auto coded = com::invoke(&span, L"Select", Call::Method);
    ASSERT_FALSE(coded);
    EXPECT_EQ((RaisedError{static_cast<int32_t>(0x800A03EC), u"Application-defined error."}), coded.error());

    auto undescribed = com::invoke(&span, L"Select", Call::Method);
    ASSERT_FALSE(undescribed);
    EXPECT_EQ(static_cast<int32_t>(E_FAIL), undescribed.error().number);
    EXPECT_FALSE(undescribed.error().description.empty());

    auto deferred = com::invoke(&span, L"Select", Call::Method);
    ASSERT_FALSE(deferred);
    EXPECT_EQ((RaisedError{-2147221473, u"Filled in on request"}), deferred.error());
}

/// Sets the thread's error info, as a failing object does.
void setThreadError(const wchar_t* description) {
    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(S_OK, CreateErrorInfo(create.out()));
    create->SetDescription(const_cast<LPOLESTR>(description));
    const ComPtr<IErrorInfo> info = create.query<IErrorInfo>(IID_IErrorInfo);
    SetErrorInfo(0, info.get());
}

TEST(LateBinding, AnyOtherFailureIsItsHresultWithTheErrorInfoThatTheCallSet) {
    FakeObject stories({{L"Count", 1}});
    stories.answers.push_back([](VARIANT*, EXCEPINFO*) {
        setThreadError(L"The stories are gone.");
        return E_FAIL;
    });
    stories.answers.push_back(fails(E_FAIL));

    auto described = com::invoke(&stories, L"Count", Call::Get);
    ASSERT_FALSE(described);
    EXPECT_EQ((RaisedError{static_cast<int32_t>(E_FAIL), u"The stories are gone."}), described.error());

    // Error info that an earlier call left is not this call's.
    setThreadError(L"Something long ago.");
    auto plain = com::invoke(&stories, L"Count", Call::Get);
    ASSERT_FALSE(plain);
    EXPECT_EQ(static_cast<int32_t>(E_FAIL), plain.error().number);
    EXPECT_NE(u"Something long ago.", plain.error().description);
}

TEST(LateBinding, AnObjectPropertyIsSetByValueAndByReferenceOnlyWhenThereIsNoPut) {
    FakeObject page({});
    FakeObject byReference({{L"ActivePage", 2}});
    byReference.answers.push_back(fails(DISP_E_MEMBERNOTFOUND));
    ASSERT_TRUE(com::assign(&byReference, L"ActivePage", Variant::object(&page)));
    ASSERT_EQ(2u, byReference.calls.size());
    EXPECT_EQ(DISPATCH_PROPERTYPUT, byReference.calls[0].flags);
    EXPECT_EQ(DISPATCH_PROPERTYPUTREF, byReference.calls[1].flags);
    EXPECT_EQ((std::vector<VARTYPE>{VT_DISPATCH}), byReference.calls[1].types);
    EXPECT_EQ((std::vector<DISPID>{DISPID_PROPERTYPUT}), byReference.calls[1].named);

    FakeObject byValue({{L"ActivePage", 2}});
    ASSERT_TRUE(com::assign(&byValue, L"ActivePage", Variant::object(&page)));
    EXPECT_EQ(1u, byValue.calls.size());

    FakeObject refusing({{L"ActivePage", 2}});
    refusing.answers.push_back(fails(DISP_E_MEMBERNOTFOUND));
    refusing.answers.push_back(fails(DISP_E_MEMBERNOTFOUND));
    auto neither = com::assign(&refusing, L"ActivePage", Variant::object(&page));
    ASSERT_FALSE(neither);
    EXPECT_EQ(kMemberNotFound, neither.error().number);
}

}  // namespace
}  // namespace quillet::test
