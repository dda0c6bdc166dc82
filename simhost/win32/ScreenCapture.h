#pragma once

#include <filesystem>

namespace quillet::simhost {

/// Makes every window of this thread paint what it holds now, and hands the
/// result to the display: the thread runs no message loop between a
/// scenario's steps, so nothing else would.
void paintThreadWindows();

/// Saves the whole screen (all monitors) as the display shows it now to
/// `path` as a PNG file, replacing it: read with a GDI BitBlt of the desktop
/// into a 24-bit DIB, encoded by the Windows Imaging Component. False, and no
/// file, when the screen could not be read or the file not written. The
/// thread must have initialised COM.
bool saveScreen(const std::filesystem::path& path);

}  // namespace quillet::simhost
