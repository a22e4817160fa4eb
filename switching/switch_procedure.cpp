// The switch run: finds the modem by its identification on the ports the
// device lists, then sends its vendor's command list for the requested mode,
// reporting every step to the host and, at the end, whether the modem
// confirmed it; a run that finds none says what it can of why.
#include <cstring>

#include "comport.h"
#include "exchange.h"
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
// (of kAnswerBufferSize bytes) keeps what came back. The modem's port is
// closed again unless keep is given, which then holds it open.
bool ProbePort(const char* name, const Vendor* byDevice, comdev::StopToken* stop,
               const Vendor** found, char (&answer)[kAnswerBufferSize], PortProbe* probe,
               ComPort* keep) {
    probe->name = name;
    probe->result = ProbeResult::NotOpened;
    probe->answer = answer;
    probe->answerLength = 0;
    answer[0] = '\0';
    ComPort port;
    if (!ComOpenNamed(name, &port, &probe->failure, stop)) return false;
    ComSetLine(&port, kBaud);
    const ExchangeResult exchange =
        ExchangeCommand(&port, kIdentifyCommand, nullptr, kProbeTimes, answer);
    const bool answered = exchange.Confirmed();
    const int count = exchange.count;
    *found = !answered ? nullptr : byDevice != nullptr ? byDevice : IdentifyVendor(answer);
    const bool identified = *found != nullptr;
    if (identified && keep != nullptr) {
        *keep = port;
    } else {
        ComClose(&port);
    }
    probe->answerLength = count;
    probe->result = identified                                 ? ProbeResult::Modem
                    : FirstAnswerLine(answer, count).length > 0 ? ProbeResult::NotAModem
                                                                : ProbeResult::NoAnswer;
    return identified;
}

// Tries the search's ports in order, one progress step before each, tells
// the host how each went and notes those another program holds (in the
// search's order). True once a port identified itself: session then names
// it (and holds it open when the request keeps it). *stopped tells a search
// the host stopped.
bool FindModem(SwitchHost& host, const SwitchRequest& request, const comdev::PortNames& ports,
               ModemSession* session, comdev::PortNames* busy, bool* stopped) {
    *stopped = false;
    for (int i = 0; i < ports.Count(); ++i) {
        const char* name = ports[i];
        if (host.StopRequested(RunStage::Searching)) {
            *stopped = true;
            return false;
        }
        host.StepProgress();
        PortProbe probe{};
        if (ProbePort(name, host.VendorOfDevice(name), request.stop, &session->vendor,
                      session->identification, &probe,
                      request.keepPort ? &session->port : nullptr)) {
            std::memcpy(session->name, name, std::strlen(name) + 1);
            host.AppendLog(session->vendor->found.In(request.language));
            host.PortProbed(probe);
            return true;
        }
        host.PortProbed(probe);
        if (probe.failure.refusal == comdev::OpenRefusal::Busy) busy->Add(name);
    }
    return false;
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
// list, but only a command whose own answer ended in OK with no refusal of
// the vendor's anywhere in it (also past what the log keeps) counts.
void SendList(SwitchHost& host, ComPort* port, const Vendor& vendor, const char* commands,
              ListResult* result) {
    for (const char* command = commands; *command != '\0'; command += std::strlen(command) + 1) {
        host.AppendLog(command);
        char answer[kAnswerBufferSize] = {};
        const ExchangeResult exchange =
            ExchangeCommand(port, command, vendor.failureMarker, kCommandTimes, answer);
        const bool confirmed = exchange.Confirmed();
        result->allConfirmed = result->allConfirmed && confirmed;
        result->refused = result->refused || exchange.Refused();
        if (result->answerCount < kMaxQueries) {
            result->confirmed[result->answerCount] = confirmed;
            std::memcpy(result->answers[result->answerCount++], answer, sizeof answer);
        }
        host.AppendLog(answer);
    }
}

// The modem's value before the change and the command that puts it back.
void SayValueBefore(SwitchHost& host, Language language, const ComposedCommands& composed) {
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
CommandPhaseEnd SendComposed(SwitchHost& host, ComPort* port, const Vendor& row,
                             const SwitchRequest& request) {
    const ModemMode mode = request.mode;
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
    SayValueBefore(host, request.language, composed);
    ListResult set;
    SendList(host, port, row, composed.commands, &set);
    return set.allConfirmed ? CommandPhaseEnd{SwitchOutcome::Switched, &kTextDone, row.afterSwitch}
                            : kSomeNotConfirmed;
}

// The row's commands for the mode; only a list confirmed throughout has
// switched the modem. A list the modem refused goes on with the row's
// successor, where it has one.
CommandPhaseEnd SendRow(SwitchHost& host, ComPort* port, const Vendor& row,
                        const SwitchRequest& request) {
    if (row.composeCommands != nullptr) return SendComposed(host, port, row, request);
    ListResult sent;
    SendList(host, port, row, CommandsFor(row, request.mode), &sent);
    if (sent.allConfirmed) return {SwitchOutcome::Switched, &kTextDone, row.afterSwitch};
    if (sent.refused && row.onRefusal != nullptr) {
        return SendRow(host, port, *row.onRefusal, request);
    }
    return kSomeNotConfirmed;
}

// Sends the vendor's commands for the mode on the modem's port: the one the
// session holds, or the port opened again by its name (the dialog's way). A
// port that no longer opens gets nothing.
CommandPhaseEnd SendCommands(SwitchHost& host, const SwitchRequest& request,
                             ModemSession* session) {
    if (session->port.handle != comdev::kClosedDevice) {
        host.StepProgress();
        return SendRow(host, &session->port, *session->vendor, request);
    }
    ComPort port;
    if (!ComOpenNamed(session->name, &port, nullptr, request.stop)) {
        return kPortNotOpened;
    }
    host.StepProgress();
    ComSetLine(&port, kBaud);
    const CommandPhaseEnd end = SendRow(host, &port, *session->vendor, request);
    ComClose(&port);
    return end;
}

// Whether the vendor's guard refuses the requested switch, said in the log:
// its mode query, on the session's port, reports a value the guard names.
bool GuardRefuses(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    const ModeGuard* guard = session->vendor->guard;
    if (!request.guarded || guard == nullptr || guard->mode != request.mode) return false;
    ModeReport report{};
    if (!QueryModeOn(&session->port, *session->vendor, &report) || !guard->Stops(report.value)) {
        return false;
    }
    LineBuilder line;
    line.Append(guard->refused.In(request.language));
    line.Append(report.raw);
    line.Append(guard->why.In(request.language));
    host.AppendLog(line.Text());
    return true;
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

namespace {

// From the found line on: the guard, the last stop request, then the mode's
// header, its commands and the closing texts.
SwitchOutcome SwitchFound(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    if (GuardRefuses(host, request, session)) return SwitchOutcome::NotConfirmed;
    if (host.StopRequested(RunStage::Commands)) return SwitchOutcome::Stopped;
    const Language language = request.language;
    host.SetProgressRange(0, kCommandSteps);
    host.SetProgressPos(0);
    const Text& header =
        request.mode == ModemMode::ModemOnly ? kTextHeaderModemOnly : kTextHeaderExtraFunctions;
    host.AppendLog(header.In(language));
    const CommandPhaseEnd end = SendCommands(host, request, session);
    host.SetProgressPos(kCommandSteps);
    host.AppendLog(end.closingText->In(language));
    if (end.afterText != nullptr) host.AppendLog(end.afterText->In(language));
    return end.outcome;
}

}  // namespace

SwitchOutcome RunSwitch(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    ModemSession ownSession;
    if (session == nullptr) session = &ownSession;
    const comdev::PortNames ports = comdev::SearchPorts();
    host.ClearLog();
    host.SetProgressRange(0, ports.Count());
    host.SetProgressPos(0);
    const Language language = request.language;
    host.AppendLog(kTextSearching.In(language));
    comdev::PortNames busyPorts;
    bool stopped = false;
    const bool found = FindModem(host, request, ports, session, &busyPorts, &stopped);
    SwitchOutcome outcome = SwitchOutcome::Switched;
    if (stopped) {
        outcome = SwitchOutcome::Stopped;
    } else if (!found) {
        host.AppendLog(kTextNoModem.In(language));
        host.ExplainNoModem(busyPorts);
        outcome = SwitchOutcome::NoModem;
    } else {
        outcome = SwitchFound(host, request, session);
    }
    host.FinishRun();
    return outcome;
}

SwitchOutcome SwitchLocated(SwitchHost& host, const SwitchRequest& request,
                            ModemSession* session) {
    const SwitchOutcome outcome = SwitchFound(host, request, session);
    host.FinishRun();
    return outcome;
}

bool LocateModem(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    const comdev::PortNames ports = comdev::SearchPorts();
    host.SetProgressRange(0, ports.Count());
    host.SetProgressPos(0);
    comdev::PortNames busyPorts;
    bool stopped = false;
    const bool found = FindModem(host, request, ports, session, &busyPorts, &stopped);
    host.FinishRun();
    return found;
}
