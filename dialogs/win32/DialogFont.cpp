#include "dialogs/win32/DialogFont.h"

#include <string>

#include "dialogs/win32/Dpi.h"

namespace quillet::win32 {

HFONT createDialogFont(const FormLayout& layout, UINT dpi) {
    const int pixelsPerInch = static_cast<int>(dpi);
    if (!layout.fontName.empty()) {
        const std::wstring face(layout.fontName.begin(), layout.fontName.end());
        const int height = -MulDiv(static_cast<int>(layout.fontPoints * 100), pixelsPerInch, 7200);
        return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
    }
    // The stock font keeps the face and character set that this Windows's
    // language gives the dialogs; its height is in pixels at the system's DPI.
    LOGFONTW font{};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return nullptr;
    font.lfHeight = MulDiv(font.lfHeight, pixelsPerInch, static_cast<int>(systemDpi()));
    font.lfWidth = 0;
    return CreateFontIndirectW(&font);
}

}  // namespace quillet::win32
