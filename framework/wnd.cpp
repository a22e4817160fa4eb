// Out-of-line parts of the window wrappers.
#include "wnd.h"

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

BOOL AfxInitRichEdit() {
    // Kept loaded for the life of the process: controls of its class may
    // exist until the very end.
    static const HMODULE library = ::LoadLibraryA("riched32.dll");
    return library != nullptr;
}
