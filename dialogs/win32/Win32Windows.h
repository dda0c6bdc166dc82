#pragma once

#include <windows.h>

#include "platform/Window.h"

namespace quillet::win32 {

/// The window class of the dialogs' windows.
inline constexpr wchar_t kDialogWindowClass[] = L"QuilletDialog";

/// Gives the dialogs' window class back, when the DLL that registered it
/// unloads: Windows keeps a DLL's classes after it is gone, and a class left
/// behind would point into code that is no longer there.
void unregisterDialogClass(HINSTANCE module);

/// The child window identifier of a control of `layout`; 0 when it has none.
int controlId(const FormLayout& layout, std::string_view control);

/// Real top-level windows for the dialogs: no owner, modeless, controls
/// placed from the layout's twips at the window's own DPI, and again at the
/// new one when it changes; a control is widened where its caption needs it.
class Win32WindowFactory : public WindowFactory {
public:
    explicit Win32WindowFactory(HINSTANCE module) : module_(module) {}
    Result<std::unique_ptr<Window>> create(const FormLayout& layout, WindowEvents& events) override;

private:
    HINSTANCE module_;
};

}  // namespace quillet::win32
