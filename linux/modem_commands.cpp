#include "modem_commands.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli_texts.h"
#include "modem_status.h"
#include "shown_text.h"
#include "switch_texts.h"

namespace {

// Only the progress bar of a search, no log: status prints what it found.
TerminalOutput SearchOutput(std::FILE* progress) { return {nullptr, false, progress}; }

std::FILE* ProgressStream(bool quiet) {
    return !quiet && isatty(STDERR_FILENO) == 1 ? stderr : nullptr;
}

// One port session per run: the port the search found stays open and locked
// until the session ends, and stop signals reach each of its reads. The
// search tries the report's candidates.
SwitchRequest CliRequest(ModemMode mode, bool guarded, comdev::StopSignals& stops,
                         const PortReport& report) {
    SwitchRequest request{mode, CliLanguage(), true, guarded, &stops};
    request.ports = &report.SearchList();
    return request;
}

ReportedMode ModeSet(ModemMode mode) {
    return mode == ModemMode::ModemOnly ? ReportedMode::ModemOnly : ReportedMode::ExtraFunctions;
}

// One line of what the modem reports now, asked on the session's port. A
// stick may report the new mode only after it is re-plugged, so a difference
// is told, never judged.
void PrintReadBack(ModemSession& session, ModemMode mode, const comdev::StopSignals& stops,
                   std::FILE* out) {
    ModeReport report{};
    if (!QueryModeOn(&session, &report)) {
        // A query a stop signal cut short says nothing about the modem.
        if (stops.Signal() == 0) std::fputs(Tr(kTextReadBackUnsupported), out);
        return;
    }
    const bool agrees = report.mode == ModeSet(mode);
    std::fprintf(out, "%s%s%s", Tr(kTextReadBack), ModeWithValue(report, CliLanguage()).c_str(),
                 agrees ? ".\n" : Tr(kTextReadBackDiffers));
    std::fflush(out);
}

// "Huawei E3372" and the port, as the question and the already-there line
// name them; the model is the stick's own text, escaped.
struct StickNames {
    std::string stick;
    std::string port;
};
StickNames NamesOf(const ModemSession& session) {
    const std::string model = ReadIdentification(session.identification).model;
    std::string stick = session.vendor->name;
    if (!model.empty()) stick += " " + ShownLine(model);
    return {stick, ShownLine(session.name)};
}

std::string SwitchQuestion(const StickNames& stick, const std::string& usbId,
                           const ModeReport* now, ModemMode mode) {
    const std::string nowWords =
        now != nullptr ? Tr(kTextModeNow) + ModeWithValue(*now, CliLanguage()) + "," : "";
    const Text& wanted = ModeWords(ModeSet(mode));
    std::vector<char> question(256 + stick.stick.size() + stick.port.size() + nowWords.size());
    std::snprintf(question.data(), question.size(), Tr(kTextAskSwitch), stick.stick.c_str(),
                  stick.port.c_str(), usbId.c_str(), nowWords.c_str(), Tr(wanted));
    return question.data();
}

// Finds the modem (its port kept), asks its mode with read-only queries,
// then the user, and switches only on a yes. A search that finds nothing
// ends as a switch's does.
SwitchOutcome FindAskAndSwitch(TerminalHost& host, const SwitchRequest& request,
                               const PortReport& report, comdev::StopSignals& stops,
                               std::FILE* log, AskUser ask, ModemSession* session,
                               bool* declined) {
    host.AppendLog(kTextSearching.In(CliLanguage()));
    if (!LocateModem(host, request, session)) {
        if (stops.Signal() != 0) return SwitchOutcome::Stopped;
        host.AppendLog(kTextNoModem.In(CliLanguage()));
        host.ExplainNoModem({});
        return SwitchOutcome::NoModem;
    }
    ModeReport now{};
    const bool reported = QueryModeOn(session, &now);
    if (stops.Signal() != 0) return SwitchOutcome::Stopped;
    const StickNames stick = NamesOf(*session);
    if (reported && now.mode == ModeSet(request.mode)) {
        if (log != nullptr) {
            std::fprintf(log, Tr(kTextAlreadyThere), stick.stick.c_str(), stick.port.c_str(),
                         ModeWithValue(now, CliLanguage()).c_str());
        }
        return SwitchOutcome::Switched;
    }
    const std::string question =
        SwitchQuestion(stick, report.UsbIdSuffix(session->name), reported ? &now : nullptr,
                       request.mode);
    switch (ask(question, stops)) {
    case UserAnswer::Stopped:
        return SwitchOutcome::Stopped;
    case UserAnswer::No:
        *declined = true;
        return SwitchOutcome::Stopped;
    case UserAnswer::Yes:
        break;
    }
    return SwitchLocated(host, request, session);
}

}  // namespace

int RunStatus(const CliOptions& options, const PortReport& report, comdev::StopSignals& stops) {
    TerminalHost search(CliLanguage(), SearchOutput(ProgressStream(options.quiet)), stops, &report);
    ModemSession session;
    if (!LocateModem(search, CliRequest(ModemMode::ModemOnly, false, stops, report), &session)) {
        if (stops.Signal() != 0) {  // the caller's exit code tells which
            std::fputs(Tr(kTextStatusStopped), stderr);
            return kStatusNoModem;
        }
        std::string line = TerminalText(Tr(kTextNoModem), false, CliLanguage());
        line.erase(0, line.find_first_not_of('\n'));  // a line of its own, not a log's
        std::fputs(line.c_str(), stderr);
        search.TellWhyNoModem(stderr);  // as a switch tells it
        return kStatusNoModem;
    }
    // The identification is what the search's ATI drew; the mode is asked
    // on the same open port.
    ModemStatus status{session.name, session.vendor, {}, false, {}, nullptr};
    status.modeReported = QueryModeOn(&session, &status.report);
    status.modeQuery = ModeQueryOf(session);
    status.identification = ReadIdentification(session.identification);
    const Generation* generation = session.stick.generation;
    status.hiLink = status.modeReported && generation != nullptr && generation->guard != nullptr &&
                    generation->guard->Stops(status.report.value);
    // A query a signal cut short tells nothing of the modem's mode.
    if (!status.modeReported && stops.Signal() != 0) {
        std::fputs(Tr(kTextStatusStopped), stderr);
        return kStatusNotAnswered;
    }
    const std::string shown = options.json ? StatusJson(status, options.showImei)
                                           : StatusText(status, options.showImei, CliLanguage());
    std::fputs(shown.c_str(), stdout);
    return status.modeReported ? kStatusRead : kStatusNotAnswered;
}

SwitchOutcome RunSwitchCommand(const CliOptions& options, const TerminalOutput& output,
                               const PortReport& report, comdev::StopSignals& stops, AskUser ask,
                               bool* declined) {
    *declined = false;
    TerminalHost host(CliLanguage(), output, stops, &report);
    host.SwitchingTo(options.mode);
    ModemSession session;
    const SwitchRequest request = CliRequest(options.mode, !options.force, stops, report);
    const SwitchOutcome outcome = ask != nullptr
                                      ? FindAskAndSwitch(host, request, report, stops, output.log,
                                                         ask, &session, declined)
                                      : RunSwitch(host, request, &session);
    if (*declined) return outcome;
    // The list has ended: a signal from now on stops the read-back at once.
    stops.HoldFirst(false);
    // After a stop signal the modem is left alone.
    if (outcome == SwitchOutcome::Switched && output.log != nullptr && stops.Signal() == 0) {
        PrintReadBack(session, options.mode, stops, output.log);
    }
    return outcome;
}
