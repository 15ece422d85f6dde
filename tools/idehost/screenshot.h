#pragma once
// Screenshots of the stand-in IDE, for the demo and the tests.
#include <windows.h>

#include <filesystem>
#include <string>

namespace brisko::idehost {

// A window as it is on the screen, written as a 24-bit BMP, or as a PNG
// when the file name ends in .png. False when the window or the file
// cannot be read or written.
bool SaveScreenshot(HWND window, const std::filesystem::path& file);
// The PNG file of a bottom-up 24-bit DIB (rows of `stride` bytes, BGR).
std::string EncodePng(const unsigned char* bottomUpBgr, int width, int height, unsigned long stride);

}  // namespace brisko::idehost
