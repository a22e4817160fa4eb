// The switch run: finds the modem by its identification on the ports the
// device lists, then sends the commands of its firmware generation for the
// requested mode, reporting every step to the host and, at the end, whether
// the modem confirmed it; a run that finds none says what it can of why.
#include <cstring>

#include "comport.h"
#include "exchange.h"
#include "line_builder.h"
#include "switch_constants.h"
#include "switch_host.h"
#include "switch_texts.h"
#include "vendors.h"

namespace {

// Asks the port for the modem's identification. Only an answer that ends
// in OK counts; a port that does not open, fails or stays silent
// is simply not the modem. The vendor its device names (byDevice, where the
// system tells it) goes before the marks. *probe tells how it went; answer
// (of kAnswerBufferSize bytes) keeps what came back. The modem's port is
// closed again unless keep is given, which then holds it open.
bool ProbePort(const char* name, const Vendor* byDevice, const SwitchRequest& request,
               const Vendor** found, char (&answer)[kAnswerBufferSize], PortProbe* probe,
               ComPort* keep) {
    probe->name = name;
    probe->result = ProbeResult::NotOpened;
    probe->answer = answer;
    probe->answerLength = 0;
    answer[0] = '\0';
    ComPort port;
    if (!ComOpenNamed(name, &port, &probe->failure, request.stop)) return false;
    ComSetLine(&port, kBaud);
    const ExchangeResult exchange =
        ExchangeCommand(&port, kIdentifyCommand, nullptr, kProbeTimes, answer);
    const bool answered = exchange.Confirmed();
    const int count = exchange.count;
    *found = !answered            ? nullptr
             : byDevice != nullptr ? byDevice
                                   : IdentifyVendor(answer, *request.vendors);
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
        if (ProbePort(name, host.VendorOfDevice(name), request, &session->vendor,
                      session->identification, &probe,
                      request.keepPort ? &session->port : nullptr)) {
            std::memcpy(session->name, name, std::strlen(name) + 1);
            session->stick = {};
            // A vendor with one generation tells it by its mark alone.
            const GenerationList& generations = session->vendor->generations;
            if (generations.count == 1) session->stick.generation = generations.rows[0];
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
// close its log (none for a stop).
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
constexpr CommandPhaseEnd kStoppedBeforeChange{SwitchOutcome::Stopped, nullptr, nullptr};

// How one generation's try went: how the phase ends, unless the stick
// refused the generation's first command (it has not got that firmware) and
// a stick not yet known goes on with the next generation.
struct GenerationEnd {
    CommandPhaseEnd end;
    bool refused;
};

// How a command list went: whether every command was confirmed, whether
// the modem refused its first one, and (for queries a composer reads) each
// answer.
constexpr int kMaxQueries = 2;
struct ListResult {
    bool allConfirmed = true;
    bool firstRefused = false;
    int answerCount = 0;
    char answers[kMaxQueries][kAnswerBufferSize] = {};
};

// Sends one command on the open port, logging it and whatever came back.
ExchangeResult SendCommand(SwitchHost& host, ComPort* port, const char* command,
                           const char* refusalMarker, char (&answer)[kAnswerBufferSize]) {
    host.AppendLog(command);
    const ExchangeResult exchange =
        ExchangeCommand(port, command, refusalMarker, kCommandTimes, answer);
    host.AppendLog(answer);
    return exchange;
}

// Sends every command of the list. An ERROR, a refusal or silence does not
// stop the list, but only a command whose own answer ended in OK with no
// refusal of the generation's anywhere in it (also past what the log keeps)
// counts.
void SendList(SwitchHost& host, ComPort* port, const Generation& generation,
              const char* commands, ListResult* result) {
    for (const char* command = commands; *command != '\0'; command += std::strlen(command) + 1) {
        char answer[kAnswerBufferSize] = {};
        const ExchangeResult exchange =
            SendCommand(host, port, command, generation.failureMarker, answer);
        if (command == commands) result->firstRefused = exchange.Refused();
        result->allConfirmed = result->allConfirmed && exchange.Confirmed();
        if (result->answerCount < kMaxQueries) {
            std::memcpy(result->answers[result->answerCount++], answer, sizeof answer);
        }
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

// The generation's mode query's answer for a composer: the one the session
// holds, or the stick's answer now, logged as any command. Null when there
// is none; *refused then tells a stick that refused the query.
const char* ModeAnswerFor(SwitchHost& host, ComPort* port, ModemSession* session,
                          const Generation& generation, char (&answer)[kAnswerBufferSize],
                          bool* refused) {
    StickKnowledge& stick = session->stick;
    *refused = stick.queryRefused.Has(&generation);
    if (stick.modeKnown && stick.generation == &generation) return stick.modeAnswer;
    if (*refused) return nullptr;
    stick.asked = &generation;
    const ExchangeResult exchange = SendCommand(host, port, generation.modeQuery, nullptr, answer);
    if (exchange.Refused()) {
        stick.queryRefused.Add(&generation);
        *refused = true;
    }
    if (!exchange.Confirmed()) return nullptr;
    // Firmware that answers its generation's query is of that generation.
    stick.generation = &generation;
    return answer;
}

// A generation that makes its command of the stick's answers: its mode
// query's, then those of its other queries for the mode, each logged as any
// command, then that command. Without the mode query's OK the firmware has
// no such command, and the switch stays unconfirmed. A stop that came while
// only queries went out ends the run before the command.
GenerationEnd SendComposed(SwitchHost& host, ComPort* port, const SwitchRequest& request,
                           ModemSession* session, const Generation& generation) {
    const ModemMode mode = request.mode;
    char modeAnswer[kAnswerBufferSize] = {};
    bool refused = false;
    const char* answers[1 + kMaxQueries] = {
        ModeAnswerFor(host, port, session, generation, modeAnswer, &refused)};
    if (host.StopRequested(RunStage::Commands)) return {kStoppedBeforeChange, false};
    if (answers[0] == nullptr) return {kSomeNotConfirmed, refused};
    ListResult queried;
    SendList(host, port, generation, CommandsFor(generation, mode), &queried);
    for (int i = 0; i < queried.answerCount; ++i) answers[1 + i] = queried.answers[i];
    if (host.StopRequested(RunStage::Changing)) return {kStoppedBeforeChange, false};
    ComposedCommands composed;
    generation.composeCommands(answers, 1 + queried.answerCount, mode, &composed);
    if (composed.result == ComposedCommands::Result::Refused) {
        return {{SwitchOutcome::NotConfirmed, composed.refusal, nullptr}, false};
    }
    if (composed.result == ComposedCommands::Result::AlreadySet) return {kAlreadyInMode, false};
    SayValueBefore(host, request.language, composed);
    ListResult set;
    SendList(host, port, generation, composed.commands, &set);
    session->stick.ModeChanged();
    if (!set.allConfirmed) return {kSomeNotConfirmed, false};
    return {{SwitchOutcome::Switched, &kTextDone, generation.afterSwitch}, false};
}

// The generation's commands for the mode; only a list confirmed throughout
// has switched the modem, and teaches the session the stick's generation.
GenerationEnd SendGeneration(SwitchHost& host, ComPort* port, const SwitchRequest& request,
                             ModemSession* session, const Generation& generation) {
    if (generation.composeCommands != nullptr) {
        return SendComposed(host, port, request, session, generation);
    }
    if (host.StopRequested(RunStage::Changing)) return {kStoppedBeforeChange, false};
    ListResult sent;
    SendList(host, port, generation, CommandsFor(generation, request.mode), &sent);
    StickKnowledge& stick = session->stick;
    stick.ModeChanged();
    if (sent.allConfirmed) {
        stick.generation = &generation;
        return {{SwitchOutcome::Switched, &kTextDone, generation.afterSwitch}, false};
    }
    if (sent.firstRefused) stick.listRefused.Add(&generation);
    return {kSomeNotConfirmed, sent.firstRefused};
}

// Switches with the stick's generation when the session knows it; else
// tries its vendor's generations in order, going on past each the stick
// refuses.
CommandPhaseEnd SwitchStick(SwitchHost& host, ComPort* port, const SwitchRequest& request,
                            ModemSession* session) {
    const StickKnowledge& stick = session->stick;
    if (stick.generation != nullptr) {
        return SendGeneration(host, port, request, session, *stick.generation).end;
    }
    for (const Generation* generation : session->vendor->generations) {
        if (stick.listRefused.Has(generation)) continue;
        const GenerationEnd tried = SendGeneration(host, port, request, session, *generation);
        if (!tried.refused) return tried.end;
    }
    return kSomeNotConfirmed;
}

// Sends the commands for the mode on the modem's port: the one the session
// holds, or the port opened again by its name (the dialog's way). A port
// that no longer opens gets nothing.
CommandPhaseEnd SendCommands(SwitchHost& host, const SwitchRequest& request,
                             ModemSession* session) {
    if (session->port.handle != comdev::kClosedDevice) {
        host.StepProgress();
        return SwitchStick(host, &session->port, request, session);
    }
    ComPort port;
    if (!ComOpenNamed(session->name, &port, nullptr, request.stop)) {
        return kPortNotOpened;
    }
    host.StepProgress();
    ComSetLine(&port, kBaud);
    const CommandPhaseEnd end = SwitchStick(host, &port, request, session);
    ComClose(&port);
    return end;
}

// Whether the vendor's guard refuses the requested switch, said in the log:
// the stick reports no mode the guard can judge (it fails closed), or a
// value its generation's guard names.
bool GuardRefuses(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    const ModeGuard* vendorGuard = GuardFor(*session->vendor, request.mode);
    if (!request.guarded || vendorGuard == nullptr) return false;
    ModeReport report{};
    const bool reported = QueryModeOn(session, &report);
    const ModeGuard* guard = reported ? session->stick.generation->guard : vendorGuard;
    if (reported && (guard == nullptr || guard->mode != request.mode)) return false;
    LineBuilder line;
    if (!reported || report.value < 0) {
        line.Append(guard->unreported.In(request.language));
    } else if (guard->Stops(report.value)) {
        line.Append(guard->refused.In(request.language));
        line.Append(report.raw);
        line.Append(guard->why.In(request.language));
    } else {
        return false;
    }
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

// From the found line on: on a port the session keeps, what the stick's
// read-only mode queries tell of it; the stop request; the guard; then the
// mode's header, its commands and the closing texts.
SwitchOutcome SwitchFound(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    ModeReport report{};
    if (session->port.handle != comdev::kClosedDevice && session->stick.generation == nullptr) {
        QueryModeOn(session, &report);
    }
    if (host.StopRequested(RunStage::Commands)) return SwitchOutcome::Stopped;
    if (GuardRefuses(host, request, session)) return SwitchOutcome::NotConfirmed;
    const Language language = request.language;
    host.SetProgressRange(0, kCommandSteps);
    host.SetProgressPos(0);
    const Text& header =
        request.mode == ModemMode::ModemOnly ? kTextHeaderModemOnly : kTextHeaderExtraFunctions;
    host.AppendLog(header.In(language));
    const CommandPhaseEnd end = SendCommands(host, request, session);
    if (end.closingText == nullptr) return end.outcome;
    host.SetProgressPos(kCommandSteps);
    host.AppendLog(end.closingText->In(language));
    if (end.afterText != nullptr) host.AppendLog(end.afterText->In(language));
    return end.outcome;
}

comdev::PortNames CandidatePorts(const SwitchRequest& request) {
    return request.ports != nullptr ? *request.ports : comdev::SearchPorts();
}

}  // namespace

SwitchOutcome RunSwitch(SwitchHost& host, const SwitchRequest& request, ModemSession* session) {
    ModemSession ownSession;
    if (session == nullptr) session = &ownSession;
    const comdev::PortNames ports = CandidatePorts(request);
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
    const comdev::PortNames ports = CandidatePorts(request);
    host.SetProgressRange(0, ports.Count());
    host.SetProgressPos(0);
    comdev::PortNames busyPorts;
    bool stopped = false;
    const bool found = FindModem(host, request, ports, session, &busyPorts, &stopped);
    host.FinishRun();
    return found;
}
