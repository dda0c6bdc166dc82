#include "simhost/com/ComServer.h"

#include <memory>

#include "platform/win32/Bstr.h"
#include "platform/win32/Variant.h"
#include "simhost/com/ComHost.h"

namespace quillet::simhost::com {

namespace {

using win32::Bstr;
using win32::Variant;

const wchar_t* SourceOf(HostLibrary library) { return library == HostLibrary::Office ? L"Office" : L"Publisher"; }

/// A failure that the caller of Invoke has not asked to see yet.
struct PendingException {
    HRESULT scode;
    std::u16string source;
    std::u16string description;
};

void Fill(EXCEPINFO& exception, HRESULT scode, const std::u16string& source, const std::u16string& description) {
    exception.wCode = 0;
    exception.scode = scode;
    exception.bstrSource = Bstr(source).detach();
    exception.bstrDescription = Bstr(description).detach();
}

HRESULT STDAPICALLTYPE FillInPending(EXCEPINFO* exception) {
    if (!exception || !exception->pvReserved) return E_INVALIDARG;
    const std::unique_ptr<PendingException> pending(static_cast<PendingException*>(exception->pvReserved));
    exception->pvReserved = nullptr;
    exception->pfnDeferredFillIn = nullptr;
    Fill(*exception, pending->scode, pending->source, pending->description);
    return S_OK;
}

void SetThreadErrorInfo(const std::u16string& source, const std::u16string& description) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.out()))) {
        SetErrorInfo(0, nullptr);
        return;
    }
    const Bstr sourceText(source);
    const Bstr descriptionText(description);
    create->SetSource(sourceText.get());
    create->SetDescription(descriptionText.get());
    const ComPtr<IErrorInfo> info = create.query<IErrorInfo>(IID_IErrorInfo);
    SetErrorInfo(0, info.get());
}

HostCapabilities& offered() {
    static HostCapabilities members;
    return members;
}

}  // namespace

const HostCapabilities& OfferedMembers() { return offered(); }

void OfferMembers(const HostCapabilities& members) { offered() = members; }

HRESULT ResultOf(int32_t number) {
    if (number < 0) return static_cast<HRESULT>(number);
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

WORD FlagsOf(MemberKind kind) {
    switch (kind) {
    case kCollectionItem:
        return TheDialect().collectionItemIsMethod ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
    case kPageSetter:
        return TheDialect().activePageByReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    default:
        return static_cast<WORD>(kind);
    }
}

HRESULT RaiseException(const RaisedError& failure, HostLibrary library, EXCEPINFO* exception) {
    const HRESULT scode = ResultOf(failure.number);
    const std::u16string source(reinterpret_cast<const char16_t*>(SourceOf(library)));
    try {
        if (!exception) {
            SetThreadErrorInfo(source, failure.description);
            return scode;
        }
        *exception = EXCEPINFO{};
        if (TheDialect().deferredExceptions) {
            exception->pvReserved = new PendingException{scode, source, failure.description};
            exception->pfnDeferredFillIn = &FillInPending;
        } else {
            Fill(*exception, scode, source, failure.description);
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return DISP_E_EXCEPTION;
}

const VARIANT* Invocation::argument(UINT position) const {
    if (position >= params_.cArgs) return nullptr;
    // DISPPARAMS holds the arguments last first.
    const VARIANT* value = &params_.rgvarg[params_.cArgs - 1 - position];
    while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    return value;
}

bool Invocation::given(UINT position) const {
    const VARIANT* value = argument(position);
    return value && !(V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND);
}

HRESULT Invocation::mismatch(UINT position) {
    if (argumentError_) *argumentError_ = params_.cArgs - 1 - position;
    return DISP_E_TYPEMISMATCH;
}

HRESULT Invocation::converted(UINT position, VARTYPE type, VARIANT* value) {
    const VARIANT* given = argument(position);
    if (given && SUCCEEDED(VariantChangeType(value, const_cast<VARIANT*>(given), 0, type))) return S_OK;
    return mismatch(position);
}

HRESULT Invocation::text(UINT position, std::u16string* value) {
    Variant text;
    if (HRESULT hr = converted(position, VT_BSTR, text.out()); FAILED(hr)) return hr;
    *value = Bstr::text(V_BSTR(&text.get()));
    return S_OK;
}

HRESULT Invocation::number(UINT position, int32_t* value) {
    Variant number;
    if (HRESULT hr = converted(position, VT_I4, number.out()); FAILED(hr)) return hr;
    *value = V_I4(&number.get());
    return S_OK;
}

HRESULT Invocation::boolean(UINT position, bool* value) {
    Variant boolean;
    if (HRESULT hr = converted(position, VT_BOOL, boolean.out()); FAILED(hr)) return hr;
    *value = V_BOOL(&boolean.get()) != VARIANT_FALSE;
    return S_OK;
}

HRESULT Invocation::object(UINT position, ComPtr<IDispatch>* value) {
    const VARIANT* given = argument(position);
    if (given && SUCCEEDED(win32::ObjectArgument(*given, *value))) return S_OK;
    return mismatch(position);
}

HRESULT Invocation::answer(const Status& status) {
    if (!status) return fail(status.error());
    return S_OK;
}

HRESULT Invocation::answer(const Result<std::u16string>& text) {
    if (!text) return fail(text.error());
    if (!result_) return S_OK;
    *result_ = Variant::text(*text).detach();
    return S_OK;
}

HRESULT Invocation::answer(const Result<int32_t>& number) {
    if (!number) return fail(number.error());
    if (!result_) return S_OK;
    *result_ = Variant::number(*number).detach();
    return S_OK;
}

HRESULT Invocation::answer(const Result<bool>& boolean) {
    if (!boolean) return fail(boolean.error());
    if (!result_) return S_OK;
    *result_ = Variant::boolean(*boolean).detach();
    return S_OK;
}

HRESULT Invocation::answerObject(ComPtr<IDispatch> object) {
    if (!result_) return S_OK;
    VariantInit(result_);
    V_VT(result_) = VT_DISPATCH;
    V_DISPATCH(result_) = object.detach();
    return S_OK;
}

HRESULT Invocation::fail(const RaisedError& error) {
    failure_ = error;
    return DISP_E_EXCEPTION;
}

}  // namespace quillet::simhost::com
