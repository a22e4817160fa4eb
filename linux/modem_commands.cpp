#include "modem_commands.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli_texts.h"
#include "modem_status.h"
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
                               const PortReport& report, comdev::StopSignals& stops) {
    TerminalHost host(CliLanguage(), output, stops, &report);
    host.SwitchingTo(options.mode);
    ModemSession session;
    const SwitchOutcome outcome =
        RunSwitch(host, CliRequest(options.mode, !options.force, stops, report), &session);
    // The list has ended: a signal from now on stops the read-back at once.
    stops.HoldFirst(false);
    // After a stop signal the modem is left alone.
    if (outcome == SwitchOutcome::Switched && output.log != nullptr && stops.Signal() == 0) {
        PrintReadBack(session, options.mode, stops, output.log);
    }
    return outcome;
}
