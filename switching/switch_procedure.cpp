// The switch run: finds the modem by its identification on the ports the
// device lists, then sends its vendor's command list for the requested mode,
// reporting every step to the host and, at the end, whether the modem
// confirmed it; a run that finds none says what it can of why.
#include <cstring>

#include "comport.h"
#include "line_builder.h"
#include "switch_constants.h"
#include "switch_host.h"
#include "switch_texts.h"
#include "vendors.h"

namespace {

// Asks the port for the modem's identification. Only a complete answer
// (terminator seen) counts; a port that does not open, fails or stays silent
// is simply not the modem. The vendor its device names (byDevice, where the
// system tells it) goes before the marks. *probe tells how it went; answer
// (of kAnswerBufferSize bytes) keeps what came back.
bool ProbePort(const char* name, const Vendor* byDevice, comdev::StopToken* stop,
               const Vendor** found, char* answer, PortProbe* probe) {
    probe->name = name;
    probe->result = ProbeResult::NotOpened;
    probe->answer = answer;
    probe->answerLength = 0;
    answer[0] = '\0';
    ComPort port;
    if (!ComOpenNamed(name, &port, &probe->failure, stop)) return false;
    ComSetLine(&port, kBaud);
    ComPurgeRx(&port);
    int count = 0;
    ComAnswerWatch watch{nullptr, kProbeTotalMs, false};
    const bool answered =
        ComTransactWatched(&port, kIdentifyCommand, kAnswerTerminator, answer, kAnswerSizeGiven,
                           &count, kProbeTimeoutMs, kProbeTimeoutMs, &watch) == kComOk;
    *found = !answered ? nullptr : byDevice != nullptr ? byDevice : IdentifyVendor(answer);
    const bool identified = *found != nullptr;
    ComClose(&port);
    probe->answerLength = count;
    probe->result = identified                                 ? ProbeResult::Modem
                    : FirstAnswerLine(answer, count).length > 0 ? ProbeResult::NotAModem
                                                                : ProbeResult::NoAnswer;
    return identified;
}

constexpr int kSearchStopped = -1;

constexpr int kNoModem = -2;

// Tries the search's ports in order, one progress step before each, tells
// the host how each went and notes those another program holds (in the
// search's order). Returns the index of the first port that identified
// itself, kNoModem, or kSearchStopped when the host asked to stop.
int FindModem(SwitchHost& host, const comdev::PortNames& ports, const Vendor** found,
              comdev::PortNames* busy) {
    for (int i = 0; i < ports.Count(); ++i) {
        const char* name = ports[i];
        if (host.StopRequested(RunStage::Searching)) return kSearchStopped;
        host.StepProgress();
        char answer[kAnswerBufferSize];
        PortProbe probe{};
        if (ProbePort(name, host.VendorOfDevice(name), host.PortStop(), found, answer, &probe)) {
            host.Say((*found)->found);
            host.PortProbed(probe);
            return i;
        }
        host.PortProbed(probe);
        if (probe.failure.refusal == comdev::OpenRefusal::Busy) busy->Add(name);
    }
    return kNoModem;
}

void SetFound(FoundModem* found, const char* name, const Vendor* vendor) {
    std::memcpy(found->name, name, std::strlen(name) + 1);
    found->vendor = vendor;
}

// How the command phase ended: what the run returns and the texts that
// close its log.
struct CommandPhaseEnd {
    SwitchOutcome outcome;
    const Text* closingText;
    const Text* afterText;  // null for none
};

constexpr CommandPhaseEnd kSomeNotConfirmed{SwitchOutcome::NotConfirmed, &kTextNotConfirmed,
                                            nullptr};
constexpr CommandPhaseEnd kPortNotOpened{SwitchOutcome::NotConfirmed, &kTextPortNotOpened,
                                         nullptr};
constexpr CommandPhaseEnd kAlreadyInMode{SwitchOutcome::Switched, &kTextAlreadyInMode, nullptr};

// How a command list went: whether every command was confirmed, whether
// the modem refused one, and (for a row that reads them) each answer.
constexpr int kMaxQueries = 2;
struct ListResult {
    bool allConfirmed = true;
    bool refused = false;
    int answerCount = 0;
    bool confirmed[kMaxQueries] = {};
    char answers[kMaxQueries][kAnswerBufferSize] = {};
};

// Sends every command of the list on the open port, logging each command
// and whatever came back. An ERROR, a refusal or silence does not stop the
// list, but only a command that drew the OK terminator with no refusal of the
// vendor's anywhere in its answer (also past what the log keeps) counts.
void SendList(SwitchHost& host, ComPort* port, const Vendor& vendor, const char* commands,
              ListResult* result) {
    for (const char* command = commands; *command != '\0'; command += std::strlen(command) + 1) {
        host.AppendLog(command);
        char answer[kAnswerBufferSize] = {};
        int count = 0;
        ComAnswerWatch watch{vendor.failureMarker, kCommandTotalMs, false};
        const bool confirmed =
            ComTransactWatched(port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                               kCommandTimeoutMs, kCommandTimeoutMs, &watch) == kComOk &&
            !watch.refused;
        result->allConfirmed = result->allConfirmed && confirmed;
        result->refused = result->refused || AnswerRefuses(answer);
        if (result->answerCount < kMaxQueries) {
            result->confirmed[result->answerCount] = confirmed;
            std::memcpy(result->answers[result->answerCount++], answer, sizeof answer);
        }
        host.AppendLog(answer);
    }
}

// The modem's value before the change and the command that puts it back.
void SayValueBefore(SwitchHost& host, const ComposedCommands& composed) {
    const Language language = host.TextLanguage();
    LineBuilder line;
    line.Append(kTextValueBefore.In(language));
    line.Append(composed.before);
    line.Append(kTextRestoreWith.In(language));
    line.Append(composed.restore);
    line.Append(kRestoreLineEnd);
    host.AppendLog(line.Text());
}

// A row that makes its command of the modem's answers: its queries, then
// that command, each logged as any other. Without the mode query's OK the
// firmware has no such command, and the switch stays unconfirmed.
CommandPhaseEnd SendComposed(SwitchHost& host, ComPort* port, const Vendor& row, ModemMode mode) {
    ListResult queried;
    SendList(host, port, row, CommandsFor(row, mode), &queried);
    if (queried.answerCount == 0 || !queried.confirmed[0]) return kSomeNotConfirmed;
    const char* answers[kMaxQueries];
    for (int i = 0; i < queried.answerCount; ++i) answers[i] = queried.answers[i];
    ComposedCommands composed;
    row.composeCommands(answers, queried.answerCount, mode, &composed);
    if (composed.result == ComposedCommands::Result::Refused) {
        return {SwitchOutcome::NotConfirmed, composed.refusal, nullptr};
    }
    if (composed.result == ComposedCommands::Result::AlreadySet) return kAlreadyInMode;
    SayValueBefore(host, composed);
    ListResult set;
    SendList(host, port, row, composed.commands, &set);
    return set.allConfirmed ? CommandPhaseEnd{SwitchOutcome::Switched, &kTextDone, row.afterSwitch}
                            : kSomeNotConfirmed;
}

// The row's commands for the mode; only a list confirmed throughout has
// switched the modem. A list the modem refused goes on with the row's
// successor, where it has one.
CommandPhaseEnd SendRow(SwitchHost& host, ComPort* port, const Vendor& row, ModemMode mode) {
    if (row.composeCommands != nullptr) return SendComposed(host, port, row, mode);
    ListResult sent;
    SendList(host, port, row, CommandsFor(row, mode), &sent);
    if (sent.allConfirmed) return {SwitchOutcome::Switched, &kTextDone, row.afterSwitch};
    if (sent.refused && row.onRefusal != nullptr) return SendRow(host, port, *row.onRefusal, mode);
    return kSomeNotConfirmed;
}

// Sends the vendor's commands for the mode on the modem's port. A port that
// no longer opens gets nothing.
CommandPhaseEnd SendCommands(SwitchHost& host, const char* name, const Vendor& vendor,
                             ModemMode mode) {
    ComPort port;
    if (!ComOpenNamed(name, &port, nullptr, host.PortStop())) {
        return kPortNotOpened;
    }
    host.StepProgress();
    ComSetLine(&port, kBaud);
    const CommandPhaseEnd end = SendRow(host, &port, vendor, mode);
    ComClose(&port);
    return end;
}

}  // namespace

AnswerLine FirstAnswerLine(const char* answer, int length) {
    // The probe command as its echo shows it: without its line end.
    const int echoLength = static_cast<int>(std::strlen(kIdentifyCommand)) - 2;
    int at = 0;
    while (at < length) {
        const char* line = answer + at;
        int lineLength = 0;
        while (at + lineLength < length && line[lineLength] != '\r' && line[lineLength] != '\n') {
            ++lineLength;
        }
        const bool echo =
            lineLength == echoLength && std::memcmp(line, kIdentifyCommand, echoLength) == 0;
        if (lineLength > 0 && !echo) return {line, lineLength};
        at += lineLength + 1;
    }
    return {nullptr, 0};
}

SwitchOutcome SwitchHost::RunSwitch(FoundModem* found) {
    const ModemMode mode = Mode();
    const comdev::PortNames ports = comdev::SearchPorts();
    ClearLog();
    SetProgressRange(0, ports.Count());
    SetProgressPos(0);
    Say(kTextSearching);

    const Vendor* vendor = nullptr;
    comdev::PortNames busyPorts;
    const int at = FindModem(*this, ports, &vendor, &busyPorts);
    SwitchOutcome outcome = SwitchOutcome::Switched;
    FoundModem modem;
    if (at >= 0) SetFound(&modem, ports[at], vendor);
    if (at == kSearchStopped) {
        outcome = SwitchOutcome::Stopped;
    } else if (at == kNoModem) {
        Say(kTextNoModem);
        ExplainNoModem(busyPorts);
        outcome = SwitchOutcome::NoModem;
    } else if (!CommandsWanted(modem)) {
        outcome = SwitchOutcome::NotConfirmed;
    } else if (StopRequested(RunStage::Commands)) {
        outcome = SwitchOutcome::Stopped;
    } else {
        SetProgressRange(0, kCommandSteps);
        SetProgressPos(0);
        Say(mode == ModemMode::ModemOnly ? kTextHeaderModemOnly : kTextHeaderExtraFunctions);
        if (found != nullptr) *found = modem;
        const CommandPhaseEnd end = SendCommands(*this, modem.name, *vendor, mode);
        SetProgressPos(kCommandSteps);
        Say(*end.closingText);
        if (end.afterText != nullptr) Say(*end.afterText);
        outcome = end.outcome;
    }
    FinishRun();
    return outcome;
}

bool SwitchHost::LocateModem(FoundModem* found) {
    const comdev::PortNames ports = comdev::SearchPorts();
    SetProgressRange(0, ports.Count());
    SetProgressPos(0);
    const Vendor* vendor = nullptr;
    comdev::PortNames busyPorts;
    const int at = FindModem(*this, ports, &vendor, &busyPorts);
    FinishRun();
    const bool located = at >= 0;  // not none nor a stop
    SetFound(found, located ? ports[at] : "", located ? vendor : nullptr);
    return located;
}
