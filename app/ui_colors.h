// Colours of the dialog and its panes (COLORREF, red in the low byte).
#pragma once

#include <windows.h>

constexpr COLORREF kColorBlue = RGB(0, 82, 155);          // headings, highlights, picture text
constexpr COLORREF kColorDarkRed = RGB(160, 0, 0);        // the error word in the log
constexpr COLORREF kColorPanelGray = RGB(230, 230, 230);  // background of both panes
constexpr COLORREF kColorBlack = RGB(0, 0, 0);
constexpr COLORREF kColorWhite = RGB(255, 255, 255);
constexpr COLORREF kColorDialogText = RGB(127, 127, 127);
