#include "platform/win32/ComFailure.h"

#include <oleauto.h>

#include <utility>

#include "platform/win32/Bstr.h"
#include "platform/win32/ComPtr.h"

namespace quillet::win32 {

namespace {

using win32::Bstr;

std::u16string systemDescription(HRESULT hr) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string description(reinterpret_cast<const char16_t*>(text), text ? length : 0);
    LocalFree(text);
    while (!description.empty() && (description.back() == u'\n' || description.back() == u'\r'))
        description.pop_back();
    return description.empty() ? u"Automation error" : description;
}

}  // namespace

RaisedError systemFailure(HRESULT hr) { return {static_cast<int32_t>(hr), systemDescription(hr)}; }

RaisedError failureOf(HRESULT hr) {
    win32::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.out()) == S_OK && info) {
        Bstr description;
        if (SUCCEEDED(info->GetDescription(description.out())) && SysStringLen(description.get()) != 0)
            return {static_cast<int32_t>(hr), description.text()};
    }
    return systemFailure(hr);
}

RaisedError failureOf(EXCEPINFO& exception) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    // Taken over, so that every string is freed whatever the outcome.
    const Bstr source = Bstr::adopt(std::exchange(exception.bstrSource, nullptr));
    const Bstr help = Bstr::adopt(std::exchange(exception.bstrHelpFile, nullptr));
    const Bstr description = Bstr::adopt(std::exchange(exception.bstrDescription, nullptr));

    HRESULT number = exception.scode;
    if (number == S_OK && exception.wCode != 0) number = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode);
    if (number == S_OK) number = DISP_E_EXCEPTION;
    if (SysStringLen(description.get()) == 0) return systemFailure(number);
    return {static_cast<int32_t>(number), description.text()};
}

}  // namespace quillet::win32
