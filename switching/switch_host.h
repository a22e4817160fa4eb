// What the switch procedure needs of the window that runs it: the requested
// mode and the operations that report progress to the user. The main dialog
// implements it; tests and the console host implement it too.
#pragma once

#include "com_platform.h"
#include "modem_modes.h"

// How a switch run ended, for hosts that act on it (the console host turns
// it into its exit code).
enum class SwitchOutcome : int {
    Switched = 0,      // every command of the mode was confirmed by the modem
    NoModem = 1,       // no port identified itself as a modem
    NotConfirmed = 2,  // the modem's port did not reopen, or a command went unconfirmed
};

class SwitchHost {
public:
    // Runs one whole switch against this host: finds the modem on COM1..COM31,
    // identifies its vendor and sends the commands of Mode().
    SwitchOutcome RunSwitch();

    // The requested mode; only ModemOnly (0) is told apart from the rest.
    virtual ModemMode Mode() const = 0;

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

// Thread entry for CreateThread: param is the SwitchHost. Returns 0 whatever
// the outcome (the log has told the user); a host that acts on the outcome
// calls RunSwitch from a thread of its own.
DWORD WINAPI SwitchThreadProc(LPVOID param);
