#include "dialogs/SetTopmost.h"

namespace quillet {

namespace {
constexpr WindowHandle kTopmost = -1;     // HWND_TOPMOST
constexpr WindowHandle kNotTopmost = -2;  // HWND_NOTOPMOST
constexpr uint32_t kNoSizeNoMove = 3;     // SWP_NOSIZE | SWP_NOMOVE
}  // namespace

int32_t SetTopmost(WindowService& service, WindowHandle window, bool topmost) {
    return service.SetWindowPos(window, topmost ? kTopmost : kNotTopmost, 0, 0, 0, 0, kNoSizeNoMove);
}

}  // namespace quillet
