#pragma once

#include <span>
#include <vector>

#include "platform/FormLayout.h"

namespace quillet {

/// A control's place in pixels, from the client area's top left.
struct PixelRect {
    int left, top, width, height;

    int right() const { return left + width; }
    bool operator==(const PixelRect&) const = default;
};

/// A dialog's client area and controls in pixels at one DPI.
struct PixelLayout {
    int clientWidth, clientHeight;
    std::vector<PixelRect> controls;  // in the order of the layout's controls
};

/// Twips as pixels at `dpi`, rounded to the nearest: 15 twips make a pixel at 96 DPI.
int pixelsOf(int twips, int dpi);

/// The layout's twips as pixels at `dpi`, widened where a caption needs it.
/// `captionWidths` holds, for each control of the layout in its order, the
/// width in pixels that its caption needs to show whole, or 0.
///
/// A control whose caption needs more than its scaled width gets that width.
/// Every control that starts to the right of its left edge, in any row,
/// moves right by as much, so that nothing runs into the widened control and
/// the controls that started at one edge stay aligned; the client area grows
/// by the same. Controls widened at one left edge move the others by the most
/// that one of them needs; widenings at different left edges add up. Tops
/// and heights never change.
PixelLayout layOut(const FormLayout& layout, int dpi, std::span<const int> captionWidths);

}  // namespace quillet
