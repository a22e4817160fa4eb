// A window's whole text as a string, for comparisons in tests.
#pragma once

#include "wnd.h"

#include <string>

inline std::string WindowText(const CWnd& window) {
    std::string text(static_cast<size_t>(window.GetWindowTextLength()) + 1, '\0');
    const int copied = window.GetWindowText(&text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
