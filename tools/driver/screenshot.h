// Pictures of the program's window for test artifacts and the demo.
#pragma once

#include <windows.h>

#include <string>

// Saves what the screen shows inside window's rectangle (frame and caption
// included) as a 24-bit BMP file at path. Returns false with a reason in *error.
bool SaveWindowPicture(HWND window, const std::string& path, std::string* error);
