// The switch run: finds the modem on COM1..COM31 by its identification,
// then sends its vendor's command list for the requested mode, reporting
// every step to the host and, at the end, whether the modem confirmed it.
#include <cstring>

#include "comport.h"
#include "switch_constants.h"
#include "switch_host.h"
#include "switch_texts.h"
#include "vendors.h"

namespace {

// Asks the port for the modem's identification. Only a complete answer
// (terminator seen) counts; a port that does not open, fails or stays silent
// is simply not the modem.
bool ProbePort(int number, const Vendor** found) {
    ComPort port;
    if (!ComOpen(number, &port)) {
        return false;
    }
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    char answer[kAnswerBufferSize] = {};
    int count = 0;
    const bool answered =
        ComTransact(&port, kIdentifyCommand, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                    kProbeTimeoutMs, kProbeTimeoutMs) == kComOk;
    *found = answered ? IdentifyVendor(answer) : nullptr;
    ComClose(&port);
    return *found != nullptr;
}

constexpr int kSearchStopped = -1;

// Tries the ports in ascending order, one progress step before each.
// Returns the number of the first port that identified itself, 0 or
// kSearchStopped when the host asked to stop.
int FindModem(SwitchHost& host, const Vendor** found) {
    for (int number = kFirstPort; number < kPortLimit; ++number) {
        if (host.StopRequested(RunStage::Searching)) return kSearchStopped;
        host.StepProgress();
        if (ProbePort(number, found)) {
            host.Say((*found)->found);
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
// whatever came back. An ERROR, a refusal or silence does not stop the list,
// but only a command whose answer the vendor's rule confirms counts, and
// only a list confirmed throughout has switched the modem. A port that no
// longer opens gets nothing.
CommandPhaseEnd SendCommands(SwitchHost& host, int number, const Vendor& vendor,
                             const char* commands) {
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
                        kCommandTimeoutMs, kCommandTimeoutMs) == kComOk &&
            AnswerConfirms(vendor, answer);
        allConfirmed = allConfirmed && confirmed;
        host.AppendLog(answer);
    }
    ComClose(&port);
    return allConfirmed ? kAllConfirmed : kSomeNotConfirmed;
}

}  // namespace

SwitchOutcome SwitchHost::RunSwitch(FoundModem* found) {
    const ModemMode mode = Mode();
    ClearLog();
    SetProgressRange(0, kScanSteps);
    SetProgressPos(0);
    Say(kTextSearching);

    const Vendor* vendor = nullptr;
    const int number = FindModem(*this, &vendor);
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
        if (found != nullptr) *found = {number, vendor};
        const CommandPhaseEnd end =
            SendCommands(*this, number, *vendor, CommandsFor(*vendor, mode));
        SetProgressPos(kCommandSteps);
        Say(*end.closingText);
        outcome = end.outcome;
    }
    FinishRun();
    return outcome;
}

bool SwitchHost::LocateModem(FoundModem* found) {
    SetProgressRange(0, kScanSteps);
    SetProgressPos(0);
    const Vendor* vendor = nullptr;
    const int number = FindModem(*this, &vendor);
    FinishRun();
    const bool located = number > 0;  // not 0 (none) nor a stop
    *found = {located ? number : 0, located ? vendor : nullptr};
    return located;
}

DWORD WINAPI SwitchThreadProc(LPVOID param) {
    static_cast<SwitchHost*>(param)->RunSwitch();
    return 0;
}
