// The switch run: finds the modem on COM1..COM31 by its identification,
// then sends its vendor's command list for the requested mode, reporting
// every step to the host and, at the end, whether the modem confirmed it.
#include <cstring>

#include "command_lists.h"
#include "comport.h"
#include "switch_constants.h"
#include "switch_host.h"
#include "switch_texts.h"

namespace {

// A vendor found in an identification answer, with the line that says so.
struct Identified {
    ModemVendor vendor;
    const Text* logText;
};

// The ZTE mark wins when an answer carries both. The search stops at the
// answer's first zero byte.
bool IdentifyVendor(const char* answer, Identified* found) {
    if (std::strstr(answer, kZteMark) != nullptr) {
        *found = {ModemVendor::Zte, &kTextFoundZte};
        return true;
    }
    if (std::strstr(answer, kHuaweiMark) != nullptr) {
        *found = {ModemVendor::Huawei, &kTextFoundHuawei};
        return true;
    }
    return false;
}

// Asks the port for the modem's identification. Only a complete answer
// (terminator seen) counts; a port that does not open, fails or stays silent
// is simply not the modem.
bool ProbePort(int number, Identified* found) {
    ComPort port;
    if (!ComOpen(number, &port)) {
        return false;
    }
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    char answer[kAnswerBufferSize] = {};
    int count = 0;
    const bool identified =
        ComTransact(&port, kIdentifyCommand, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                    kProbeTimeoutMs, kProbeTimeoutMs) == kComOk &&
        IdentifyVendor(answer, found);
    ComClose(&port);
    return identified;
}

constexpr int kSearchStopped = -1;

// Tries the ports in ascending order, one progress step before each.
// Returns the number of the first port that identified itself, 0 or
// kSearchStopped when the host asked to stop.
int FindModem(SwitchHost& host, Identified* found) {
    for (int number = kFirstPort; number < kPortLimit; ++number) {
        if (host.StopRequested(RunStage::Searching)) return kSearchStopped;
        host.StepProgress();
        if (ProbePort(number, found)) {
            host.Say(*found->logText);
            return number;
        }
    }
    return 0;
}

// How the command phase ended: what the run returns and the text that
// closes its log.
struct CommandPhaseEnd {
    SwitchOutcome outcome;
    const Text* closingText;
};

constexpr CommandPhaseEnd kAllConfirmed{SwitchOutcome::Switched, &kTextDone};
constexpr CommandPhaseEnd kSomeNotConfirmed{SwitchOutcome::NotConfirmed, &kTextNotConfirmed};
constexpr CommandPhaseEnd kPortNotOpened{SwitchOutcome::NotConfirmed, &kTextPortNotOpened};

// Sends every command of the list on the port, logging each command and
// whatever came back. An ERROR or silence does not stop the list, but only
// a command whose answer ended in the OK terminator counts as confirmed, and
// only a list confirmed throughout has switched the modem. A port that no
// longer opens gets nothing.
CommandPhaseEnd SendCommands(SwitchHost& host, int number, const char* commands) {
    ComPort port;
    if (!ComOpen(number, &port)) {
        return kPortNotOpened;
    }
    host.StepProgress();
    ComSetLine(&port, kBaud);
    bool allConfirmed = true;
    for (const char* command = commands; *command != '\0'; command += std::strlen(command) + 1) {
        host.AppendLog(command);
        char answer[kAnswerBufferSize] = {};
        int count = 0;
        const bool confirmed =
            ComTransact(&port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                        kCommandTimeoutMs, kCommandTimeoutMs) == kComOk;
        allConfirmed = allConfirmed && confirmed;
        host.AppendLog(answer);
    }
    ComClose(&port);
    return allConfirmed ? kAllConfirmed : kSomeNotConfirmed;
}

}  // namespace

SwitchOutcome SwitchHost::RunSwitch() {
    const ModemMode mode = Mode();
    ClearLog();
    SetProgressRange(0, kScanSteps);
    SetProgressPos(0);
    Say(kTextSearching);

    Identified found{};
    const int number = FindModem(*this, &found);
    SwitchOutcome outcome = SwitchOutcome::Switched;
    if (number == kSearchStopped || (number != 0 && StopRequested(RunStage::Commands))) {
        outcome = SwitchOutcome::Stopped;
    } else if (number == 0) {
        Say(kTextNoModem);
        outcome = SwitchOutcome::NoModem;
    } else {
        SetProgressRange(0, kCommandSteps);
        SetProgressPos(0);
        Say(mode == ModemMode::ModemOnly ? kTextHeaderModemOnly : kTextHeaderExtraFunctions);
        const CommandPhaseEnd end = SendCommands(*this, number, CommandListFor(found.vendor, mode));
        SetProgressPos(kCommandSteps);
        Say(*end.closingText);
        outcome = end.outcome;
    }
    FinishRun();
    return outcome;
}

DWORD WINAPI SwitchThreadProc(LPVOID param) {
    static_cast<SwitchHost*>(param)->RunSwitch();
    return 0;
}
