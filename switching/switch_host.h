// What the switch procedure needs of the window that runs it: the requested
// mode and the operations that report progress to the user. The main dialog
// implements it; tests and the console host implement it too.
#pragma once

#include "com_platform.h"

enum ModemMode : int {
    ModemOnly = 0,       // the modem's extra devices are turned off
    ExtraFunctions = 1,  // the modem's extra devices are turned on
};

class SwitchHost {
public:
    // Runs one whole switch against this host: finds the modem on COM1..COM31,
    // identifies its vendor and sends the commands of Mode(). Returns 0.
    int RunSwitch();

    // The requested mode; only 0 (ModemOnly) is told apart from the rest.
    virtual int Mode() const = 0;

    virtual void ClearLog() = 0;
    virtual void AppendLog(const char* text) = 0;
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual void StepProgress() = 0;
    // Marks the run as over, then lets the user leave.
    virtual void FinishRun() = 0;

protected:
    ~SwitchHost() = default;
};

// Thread entry for CreateThread: param is the SwitchHost. Returns 0.
DWORD WINAPI SwitchThreadProc(LPVOID param);
