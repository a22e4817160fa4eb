// Application object of our framework: the program defines one global
// CWinApp-derived object; the entry point calls its InitInstance once and the
// program ends when that returns.
#pragma once

#include <windows.h>

// Command of the help key; the application answers it.
constexpr UINT ID_HELP = 0xE146;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The whole program: a dialog application runs its modal dialog here.
    virtual void InitInstance() = 0;
    // Last stop of a command no window handled: ID_HELP reaches OnHelp.
    // TRUE if handled.
    BOOL OnCommand(UINT id);

protected:
    // The program ships no help file, so there is nothing to open: a beep.
    virtual void OnHelp();
};

// The program's application object, or nullptr before it exists.
CWinApp* AfxGetApp();
