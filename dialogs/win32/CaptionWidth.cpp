#include "dialogs/win32/CaptionWidth.h"

#include <string>

namespace quillet::win32 {

namespace {

/// The box of a check box: 13 pixels at 96 DPI, as Windows draws it (Wine
/// draws 12 × DPI / 96 + 1).
constexpr int kCheckBoxAt96Dpi = 13;

struct TextMeasure {
    int width = 0;
    int averageCharWidth = 0;
};

TextMeasure measure(HWND control, std::u16string_view caption, HFONT font) {
    const std::wstring text(caption.begin(), caption.end());
    HDC dc = GetDC(control);
    const HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {extent.cx, metrics.tmAveCharWidth};
}

}  // namespace

int captionWidth(HWND control, std::u16string_view caption, ControlKind kind, HFONT font, UINT dpi) {
    if (kind != ControlKind::Label && kind != ControlKind::CheckBox && kind != ControlKind::Button) return 0;
    const TextMeasure text = measure(control, caption, font);
    // The gaps are an average character: more than the half a digit and the
    // focus rectangle's pixels that the platform leaves beside the text.
    if (kind == ControlKind::CheckBox)
        return text.width + MulDiv(kCheckBoxAt96Dpi, static_cast<int>(dpi), 96) + text.averageCharWidth;
    if (kind == ControlKind::Button) return text.width + 2 * text.averageCharWidth;
    return text.width;
}

}  // namespace quillet::win32
