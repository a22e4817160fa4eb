#include "modem_commands.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli_texts.h"
#include "modem_query.h"
#include "modem_status.h"
#include "switch_texts.h"

namespace {

// Huawei's HiLink firmware reports these; there AT^U2DIAG=0 has been seen
// to leave a stick with no AT port.
constexpr long kHiLinkValues[] = {118, 119};

// Only the progress bar of a search, no log: status prints what it found.
TerminalOutput SearchOutput(std::FILE* progress) { return {nullptr, false, progress}; }

std::FILE* ProgressStream(bool quiet) {
    return !quiet && isatty(STDERR_FILENO) == 1 ? stderr : nullptr;
}

bool IsHiLink(const ModeReport& report) {
    for (const long value : kHiLinkValues) {
        if (report.value == value) return true;
    }
    return false;
}

// True, with the refusal in host's log, when the modem is a HiLink stick.
bool RefusedAsHiLink(const FoundModem& found, SwitchHost& host) {
    ModeReport report{};
    if (found.vendor->id != ModemVendor::Huawei ||
        !QueryMode(found.name, *found.vendor, host.PortStop(), &report) || !IsHiLink(report)) {
        return false;
    }
    host.AppendLog(
        (std::string("\n") + Tr(kTextHiLinkRefused) + report.raw + Tr(kTextHiLinkWhy)).c_str());
    return true;
}

ReportedMode ModeSet(ModemMode mode) {
    return mode == ModemMode::ModemOnly ? ReportedMode::ModemOnly : ReportedMode::ExtraFunctions;
}

// One line of what the modem reports now. A stick may report the new mode
// only after it is re-plugged, so a difference is told, never judged.
void PrintReadBack(const FoundModem& found, ModemMode mode, comdev::StopSignals& stops,
                   std::FILE* out) {
    ModeReport report{};
    if (!QueryMode(found.name, *found.vendor, &stops, &report)) {
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
    TerminalHost search(ModemMode::ModemOnly, CliLanguage(),
                        SearchOutput(ProgressStream(options.quiet)), stops, &report);
    FoundModem found{};
    if (!search.LocateModem(&found)) {
        if (stops.Signal() != 0) {  // the caller's exit code tells which
            std::fputs(Tr(kTextStatusStopped), stderr);
            return kStatusNoModem;
        }
        std::string line = TerminalText(Tr(kTextNoModem), false, CliLanguage());
        line.erase(0, line.find_first_not_of('\n'));  // a line of its own, not a log's
        std::fputs(line.c_str(), stderr);
        return kStatusNoModem;
    }
    ModemStatus status{found.name, found.vendor, {}, false, {}};
    char identification[kAnswerBufferSize] = {};
    status.modeReported =
        QueryStatus(found.name, *found.vendor, &stops, identification, &status.report);
    status.identification = ReadIdentification(identification);
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
    TerminalHost host(options.mode, CliLanguage(), output, stops, &report);
    if (options.mode == ModemMode::ModemOnly && !options.force) {
        host.SetCommandsCheck(
            [&host](const FoundModem& modem) { return !RefusedAsHiLink(modem, host); });
    }
    FoundModem found{};
    const SwitchOutcome outcome = host.RunSwitch(&found);
    // The list has ended: a signal from now on stops the read-back at once.
    stops.HoldFirst(false);
    // After a stop signal the modem is left alone.
    if (outcome == SwitchOutcome::Switched && output.log != nullptr && stops.Signal() == 0) {
        PrintReadBack(found, options.mode, stops, output.log);
    }
    return outcome;
}
