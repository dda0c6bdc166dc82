#include "host/com/LateBinding.h"

#include <vector>

#include "platform/win32/ComFailure.h"
#include "platform/win32/VariantConversion.h"

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

/// `result` read by `reader` (VariantConversion.h), or the failure of that reading.
template <typename Value>
Result<Value> readAs(const Result<Variant>& result, HRESULT (*reader)(const VARIANT&, Value*)) {
    if (!result) return result.error();
    Value value{};
    if (HRESULT hr = reader(result->get(), &value); FAILED(hr)) return systemFailure(hr);
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

Result<std::u16string> asText(const Result<Variant>& result) { return readAs(result, win32::textOf); }

Result<int32_t> asNumber(const Result<Variant>& result) { return readAs(result, win32::numberOf); }

Result<bool> asBoolean(const Result<Variant>& result) { return readAs(result, win32::booleanOf); }

Result<ComPtr<IDispatch>> asObject(const Result<Variant>& result, const Role& role) {
    auto object = readAs(result, win32::objectOf);
    if (!object) return object.error();
    return inRole(object->get(), role);
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
