// Application object of our framework: the program defines one global
// CWinApp-derived object; the entry point calls its InitInstance.
#pragma once

#include <windows.h>

class CWnd;

// Command of the help key; the application answers it.
constexpr UINT ID_HELP = 0xE146;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program at once (a dialog application returns FALSE
    // after its dialog has closed); TRUE runs the message loop.
    virtual BOOL InitInstance();
    // Runs the thread's message loop until WM_QUIT; returns its exit code.
    virtual int Run();
    // Last stop of a command no window handled; TRUE if handled.
    virtual BOOL OnCommand(UINT id);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

protected:
    // The program ships no help file, so there is nothing to open: a beep.
    void OnHelp();
};

// The program's application object, or nullptr before it exists.
CWinApp* AfxGetApp();
