#pragma once

#include <optional>

#include "simhost/win32/PngFile.h"

namespace quillet::simhost {

/// Makes every window of this thread paint what it holds now, and hands the
/// result to the display: the thread runs no message loop between a
/// scenario's steps, so nothing else would.
void paintThreadWindows();

/// The whole screen (all monitors) as the display shows it now, read with a
/// GDI BitBlt of the desktop into a 24-bit DIB; nullopt when it cannot be read.
std::optional<RgbImage> captureScreen();

}  // namespace quillet::simhost
