#pragma once
// Screenshots of a window (the stand-in IDE's, a demo's form), for the demos
// and the tests.
#include <windows.h>

#include <filesystem>
#include <string>

namespace brisko::test {

// A window as it is on the screen, written as a 24-bit BMP, or as a PNG
// when the file name ends in .png. False when the window or the file
// cannot be read or written.
bool SaveScreenshot(HWND window, const std::filesystem::path& file);
// The PNG file of a bottom-up 24-bit DIB (rows of `stride` bytes, BGR).
std::string EncodePng(const unsigned char* bottomUpBgr, int width, int height, unsigned long stride);

}  // namespace brisko::test
