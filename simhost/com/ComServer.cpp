#include "simhost/com/ComServer.h"

#include <memory>

#include "platform/win32/Bstr.h"
#include "platform/win32/Variant.h"
#include "simhost/com/ComHost.h"

namespace quillet::simhost::com {

namespace {

using win32::Bstr;
using win32::Variant;

const wchar_t* sourceOf(HostLibrary library) { return library == HostLibrary::Office ? L"Office" : L"Publisher"; }

/// A failure that the caller of Invoke has not asked to see yet.
struct PendingException {
    HRESULT scode;
    std::u16string source;
    std::u16string description;
};

void fill(EXCEPINFO& exception, HRESULT scode, const std::u16string& source, const std::u16string& description) {
    exception.wCode = 0;
    exception.scode = scode;
    exception.bstrSource = Bstr(source).detach();
    exception.bstrDescription = Bstr(description).detach();
}

HRESULT STDAPICALLTYPE fillInPending(EXCEPINFO* exception) {
    if (!exception || !exception->pvReserved) return E_INVALIDARG;
    const std::unique_ptr<PendingException> pending(static_cast<PendingException*>(exception->pvReserved));
    exception->pvReserved = nullptr;
    exception->pfnDeferredFillIn = nullptr;
    fill(*exception, pending->scode, pending->source, pending->description);
    return S_OK;
}

void setThreadErrorInfo(const std::u16string& source, const std::u16string& description) {
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

const HostCapabilities& offeredMembers() { return offered(); }

void offerMembers(const HostCapabilities& members) { offered() = members; }

HRESULT resultOf(int32_t number) {
    if (number < 0) return static_cast<HRESULT>(number);
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

WORD flagsOf(MemberKind kind) {
    switch (kind) {
    case kCollectionItem:
        return theDialect().collectionItemIsMethod ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
    case kPageSetter:
        return theDialect().activePageByReference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    default:
        return static_cast<WORD>(kind);
    }
}

HRESULT raiseException(const RaisedError& failure, HostLibrary library, EXCEPINFO* exception) {
    const HRESULT scode = resultOf(failure.number);
    const std::u16string source(reinterpret_cast<const char16_t*>(sourceOf(library)));
    try {
        if (!exception) {
            setThreadErrorInfo(source, failure.description);
            return scode;
        }
        *exception = EXCEPINFO{};
        if (theDialect().deferredExceptions) {
            exception->pvReserved = new PendingException{scode, source, failure.description};
            exception->pfnDeferredFillIn = &fillInPending;
        } else {
            fill(*exception, scode, source, failure.description);
        }
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return DISP_E_EXCEPTION;
}

HRESULT HostCall::answer(const Status& status) {
    if (!status) return fail(status.error());
    return S_OK;
}

HRESULT HostCall::answer(const Result<std::u16string>& text) {
    if (!text) return fail(text.error());
    return answer(Variant::text(*text));
}

HRESULT HostCall::answer(const Result<int32_t>& number) {
    if (!number) return fail(number.error());
    return answer(Variant::number(*number));
}

HRESULT HostCall::answer(const Result<bool>& boolean) {
    if (!boolean) return fail(boolean.error());
    return answer(Variant::boolean(*boolean));
}

HRESULT HostCall::fail(const RaisedError& error) {
    failure_ = error;
    return DISP_E_EXCEPTION;
}

}  // namespace quillet::simhost::com
