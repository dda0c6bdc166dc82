#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "platform/FormLayout.h"

namespace quillet {

/// A window handle as the window system gives it.
using WindowHandle = intptr_t;

/// What a dialog's window reports to its form.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    /// A button was pressed: clicked, or Enter or Esc for the default and cancel buttons.
    virtual void onClick(std::string_view control) = 0;
    /// A text box's text changed.
    virtual void onChange(std::string_view control) = 0;
    /// The user ended the window with its close box. The window and its form may
    /// be deleted during this call; the caller touches neither afterwards.
    virtual void onDestroyed() = 0;
};

/// A dialog's top-level window: no owner, modeless. Destroying the object
/// destroys the window and its controls.
class Window {
public:
    virtual ~Window() = default;
    virtual WindowHandle handle() const = 0;
    /// Shows the window modeless and without an owner; showing a shown window changes nothing.
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool visible() const = 0;

    virtual std::u16string text(std::string_view control) const = 0;
    virtual int checkValue(std::string_view control) const = 0;
    virtual bool enabled(std::string_view control) const = 0;
    virtual void setEnabled(std::string_view control, bool enabled) = 0;
};

/// Creates dialog windows, hidden, from their layout.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    virtual Result<std::unique_ptr<Window>> create(const FormLayout& layout, WindowEvents& events) = 0;
};

/// The window system's positioning service.
class WindowService {
public:
    virtual ~WindowService() = default;
    /// As user32's SetWindowPos: non-zero on success.
    virtual int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx,
                                 int32_t cy, uint32_t flags) = 0;
};

}  // namespace quillet
