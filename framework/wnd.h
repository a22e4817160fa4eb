// Window wrappers of our dialog framework: a CWnd holding a window handle and
// the control classes bound to dialog items, one line per window message.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
    // Length of the window text in bytes; may exceed the text actually copied.
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    // Copies the text, cut to size - 1 bytes and zero-terminated, in the
    // window's narrow code page; returns the bytes copied.
    int GetWindowText(char* buffer, int size) const {
        return ::GetWindowTextA(m_hWnd, buffer, size);
    }
};

class CButton : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lower, int upper) const { SendMessage(PBM_SETRANGE32, lower, upper); }
    int SetPos(int pos) const { return static_cast<int>(SendMessage(PBM_SETPOS, pos)); }
    int SetStep(int step) const { return static_cast<int>(SendMessage(PBM_SETSTEP, step)); }
    int StepIt() const { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CRichEditCtrl : public CWnd {
public:
    void SetSel(LONG start, LONG end) const {
        CHARRANGE range{start, end};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) const {
        SendMessage(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text));
    }
    void SetSelectionCharFormat(CHARFORMATA& format) const {
        SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    COLORREF SetBackgroundColor(COLORREF color) const {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, 0, color));
    }
};

// Loads the Rich Edit 1.0 library ("RICHEDIT" class); must run before a
// dialog with such a control is created. TRUE if the library is available.
BOOL AfxInitRichEdit();

// Painting scope for a WM_PAINT handler: BeginPaint on construction,
// EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd), m_hDC(::BeginPaint(m_hWnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};

public:
    const HDC m_hDC;
};
