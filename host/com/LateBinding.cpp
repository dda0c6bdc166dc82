#include "host/com/LateBinding.h"

#include <vector>

#include "platform/win32/ComFailure.h"

namespace quillet::com {

using win32::ComPtr;
using win32::failureOf;
using win32::systemFailure;
using win32::Variant;

namespace {

/// Frees whatever strings a failed Invoke left in its EXCEPINFO.
class ExceptionInfo {
public:
    ExceptionInfo() : info_{} {}
    ExceptionInfo(const ExceptionInfo&) = delete;
    ExceptionInfo& operator=(const ExceptionInfo&) = delete;
    ~ExceptionInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }
    EXCEPINFO* get() { return &info_; }

private:
    EXCEPINFO info_;
};

/// `result` converted to `type`, or the failure of that conversion.
Result<Variant> converted(const Result<Variant>& result, VARTYPE type) {
    if (!result) return result.error();
    Variant value;
    if (HRESULT hr = VariantChangeType(value.out(), const_cast<VARIANT*>(&result->get()), 0, type); FAILED(hr))
        return systemFailure(hr);
    return value;
}

}  // namespace

Result<Variant> invoke(IDispatch* object, const wchar_t* name, Call how, std::initializer_list<Variant> arguments) {
    if (!object) return errors::objectNotSet();
    // Whatever error info is there now belongs to an earlier call.
    SetErrorInfo(0, nullptr);
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member); FAILED(hr))
        return failureOf(hr);

    // DISPPARAMS holds the arguments last first. The callee does not own them.
    std::vector<VARIANTARG> reversed;
    reversed.reserve(arguments.size());
    for (auto argument = arguments.end(); argument != arguments.begin();) reversed.push_back((--argument)->get());
    const bool put = how == Call::Put || how == Call::PutRef;
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &namedPut : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};

    Variant result;
    ExceptionInfo exception;
    UINT argumentError = 0;
    const HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, static_cast<WORD>(how), &params,
                                      put ? nullptr : result.out(), exception.get(), &argumentError);
    if (hr == DISP_E_EXCEPTION) return failureOf(*exception.get());
    if (FAILED(hr)) return failureOf(hr);
    return result;
}

Status assign(IDispatch* object, const wchar_t* name, const Variant& value) {
    auto byValue = [&](Call how) -> Status {
        Variant argument;
        if (HRESULT hr = VariantCopy(argument.out(), const_cast<VARIANT*>(&value.get())); FAILED(hr))
            return systemFailure(hr);
        auto done = invoke(object, name, how, {std::move(argument)});
        if (!done) return done.error();
        return {};
    };
    Status put = byValue(Call::Put);
    if (put || put.error().number != DISP_E_MEMBERNOTFOUND) return put;
    return byValue(Call::PutRef);
}

Result<std::u16string> asText(const Result<Variant>& result) {
    auto text = converted(result, VT_BSTR);
    if (!text) return text.error();
    return win32::Bstr::text(V_BSTR(&text->get()));
}

Result<int32_t> asNumber(const Result<Variant>& result) {
    auto number = converted(result, VT_I4);
    if (!number) return number.error();
    return static_cast<int32_t>(V_I4(&number->get()));
}

Result<bool> asBoolean(const Result<Variant>& result) {
    auto boolean = converted(result, VT_BOOL);
    if (!boolean) return boolean.error();
    return V_BOOL(&boolean->get()) != VARIANT_FALSE;
}

Result<ComPtr<IDispatch>> asObject(const Result<Variant>& result, const Role& role) {
    if (!result) return result.error();
    const VARTYPE type = V_VT(&result->get());
    if (type == VT_EMPTY || type == VT_NULL) return errors::objectNotSet();
    auto object = converted(result, VT_DISPATCH);
    if (!object) return object.error();
    IDispatch* dispatch = V_DISPATCH(&object->get());
    if (!dispatch) return errors::objectNotSet();
    return inRole(dispatch, role);
}

Result<ComPtr<IDispatch>> inRole(IUnknown* object, const Role& role) {
    if (!object) return errors::objectNotSet();
    ComPtr<IDispatch> inRole;
    if (HRESULT hr = object->QueryInterface(role.iid, reinterpret_cast<void**>(inRole.out())); FAILED(hr))
        return systemFailure(hr);
    if (!inRole) return systemFailure(E_NOINTERFACE);
    return inRole;
}

}  // namespace quillet::com
