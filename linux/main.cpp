// modemswitch for Linux: the Windows program's switch run from a command
// line. The manual page (docs/modemswitch.1.scd) tells its use and exit codes.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli_options.h"
#include "cli_texts.h"
#include "locale_codeset.h"
#include "modem_commands.h"
#include "port_holders.h"
#include "port_list.h"
#include "port_paths.h"
#include "port_report.h"
#include "shown_text.h"
#include "stop_signals.h"
#include "switch_constants.h"
#include "switch_texts.h"
#include "terminal_host.h"
#include "usb_ports.h"

namespace {

// A standard stream that was closed is opened on /dev/null, so that no port
// opened later can take its number and receive the log or the prompt. False
// if that cannot be done.
bool OpenClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number: fd itself, as the ones below are open.
        if (open("/dev/null", O_RDWR) != fd) return false;
    }
    return true;
}

int Usage(const std::string& why) {
    std::fprintf(stderr, "modemswitch: %s\n%s", why.c_str(), Tr(kTextUsage));
    return kExitUsage;
}

// ASCII and Cyrillic capitals in lower case: "Да", "YES".
std::string LowerCase(std::string word) {
    for (size_t i = 0; i < word.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(word[i]);
        const unsigned char next =
            i + 1 < word.size() ? static_cast<unsigned char>(word[i + 1]) : 0;
        if (byte >= 'A' && byte <= 'Z') {
            word[i] = static_cast<char>(byte + ('a' - 'A'));
        } else if (byte == 0xD0 && next >= 0x90 && next <= 0xAF) {
            // А..Я (D0 90..D0 AF): а..п are D0 B0..D0 BF, р..я D1 80..D1 8F.
            word[i] = static_cast<char>(next < 0xA0 ? 0xD0 : 0xD1);
            word[++i] = static_cast<char>(next < 0xA0 ? next + 0x20 : next - 0x20);
        }
    }
    return word;
}

// One line typed at the prompt, read from stdin's descriptor beside the
// stop pipe: the handlers restart a blocking read, and a Ctrl-C at the
// prompt must end the wait. False when a stop signal came.
bool ReadAnswer(comdev::StopSignals& stops, std::string* line) {
    pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {stops.WakeUpFd(), POLLIN, 0}};
    constexpr size_t kLongestAnswer = 32;  // anything longer is no word we take
    while (line->size() < kLongestAnswer) {
        if (stops.Signal() != 0) return false;
        if (poll(waits, waits[1].fd >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) return true;
        if (stops.Signal() != 0) return false;
        if (waits[0].revents == 0) continue;
        char byte = 0;
        const ssize_t got = read(STDIN_FILENO, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0 || byte == '\n') return true;  // end of input is a no
        *line += byte;
    }
    return true;
}

// The question the switch asks once it has found the stick; only "д", "да",
// "y" or "yes" (any case, in the locale's codeset) goes on. Anything else,
// "н", "нет", "n" and "no" among it, and no answer at all (end of input) is a no.
UserAnswer AskOnTerminal(const std::string& question, comdev::StopSignals& stops) {
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    std::string typed;
    if (!ReadAnswer(stops, &typed)) return UserAnswer::Stopped;
    const std::string word = LowerCase(TypedText(typed.substr(0, typed.find('\r'))));
    return word == "y" || word == "yes" || word == "д" || word == "да" ? UserAnswer::Yes
                                                                      : UserAnswer::No;
}

// Tests (and unusual systems) name other places for /dev, /sys and the lock
// directory.
std::string Setting(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// A port is an absolute device path: one given relative to the folder the
// program was started from is made so here, once.
std::vector<std::string> AbsolutePaths(std::vector<std::string> paths) {
    char folder[4096];
    for (std::string& path : paths) {
        if (path.front() != '/' && getcwd(folder, sizeof folder) != nullptr) {
            path = std::string(folder) + "/" + path;
        }
    }
    return paths;
}

// Whether the search can hold every path: its list has a fixed room, and a
// port that did not fit would be passed over without a word.
bool SearchHoldsAll(const std::vector<std::string>& paths) {
    comdev::PortNames names;
    for (const std::string& path : paths) {
        if (!names.Add(path.c_str())) return false;
    }
    return true;
}

// A lock directory that is missing or not a directory leaves the ports
// without lock files: said once, as other programs then do not see them taken
// (the port itself is still held with flock and exclusive mode). An empty
// setting asks for no lock files and is not warned of.
void WarnOfMissingLockDirectory(const std::string& directory) {
    struct stat entry {};
    if (directory.empty()) return;
    if (stat(directory.c_str(), &entry) == 0 && S_ISDIR(entry.st_mode)) return;
    std::fprintf(stderr, Tr(kTextNoLockDirectory), ShownLine(directory).c_str());
}

void UseLockDirectory() {
    if (const char* lockDir = std::getenv("MODEMSWITCH_LOCK_DIR")) {
        comdev::SetLockDirectory(lockDir);
    }
    WarnOfMissingLockDirectory(comdev::LockDirectory());
}

// What is still buffered for stdout goes out now, so that a failure is told.
// True when all of stdout's output reached it.
bool FlushStandardOutput() {
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
    ReportStandardOutputError(errno);
    return false;
}

// Where the output is the result (--help, --version, status), output that
// did not reach stdout fails the run, as close_stdout does in coreutils.
int ExitCodeOfOutput(int exitCode) { return FlushStandardOutput() ? exitCode : kExitOutputError; }

// A run a stop signal ended exits 128 + that signal, as a shell shows a
// program the signal ended; stderr tells what it meant for the modem.
int ExitCodeOf(SwitchOutcome outcome, const comdev::StopSignals& stops) {
    const int signal = stops.Signal();
    if (signal == 0) return static_cast<int>(outcome);
    if (outcome == SwitchOutcome::Stopped) {
        std::fputs(Tr(kTextStoppedBeforeSwitch), stderr);
    } else if (stops.HeldCutIo() && stops.Count() >= 2) {
        std::fputs(Tr(kTextMayBeHalfSwitched), stderr);
    } else if (stops.HeldCutIo()) {
        std::fprintf(stderr, Tr(kTextSwitchOverran), comdev::kHeldStopGraceMs / 1000.0);
    } else if (outcome == SwitchOutcome::Switched) {
        std::fputs(Tr(kTextStoppedAfterSwitch), stderr);
    }
    return kExitSignalBase + signal;
}

}  // namespace

int main(int argc, char** argv) {
    if (!OpenClosedStandardStreams()) return kExitNoStandardStreams;
    // A reader of the log that goes away must not end a switch.
    // A file past its size limit is told as a failed write, like a full disk.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    SetCliLanguage(LanguageOfEnvironment());
    if (!ConvertOutputTo(LocaleCodeset())) SetCliLanguage(Language::English);
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, &options, &error)) return Usage(error);
    if (options.help) {
        std::printf(Tr(kTextHelp), kMaxPorts, kProbeTimeoutMs, kCommandTimeoutMs / 1000.0,
                    kProbeTotalMs / 1000.0, kCommandTotalMs / 1000.0,
                    comdev::kRepeatWindowMs / 1000.0, comdev::kHeldStopGraceMs / 1000.0);
        return ExitCodeOfOutput(EXIT_SUCCESS);
    }
    if (options.version) {
        std::puts("modemswitch " MODEMSWITCH_VERSION);
        return ExitCodeOfOutput(EXIT_SUCCESS);
    }
    if (!SearchHoldsAll(AbsolutePaths(options.ports))) return Usage(Tr(kTextPortPathsTooLong));
    if (!options.quiet && ModemManagerRuns("/proc")) {
        std::fputs(Tr(kTextModemManager), stderr);
    }
    const std::string sysfsRoot = Setting("MODEMSWITCH_SYSFS_ROOT", comdev::kDefaultSysfsRoot);
    // The ports given, in their order; else every USB serial port, those of
    // a known maker's stick first, as sysfs tells them.
    const PortReport report(
        {sysfsRoot, "/proc"},
        SearchCandidates(AbsolutePaths(options.ports), Setting("MODEMSWITCH_DEV_ROOT", "/dev"),
                         sysfsRoot));
    if (options.action == CliAction::List) {
        UseLockDirectory();
        const std::string shown = options.json ? PortListJson(report) : PortListText(report);
        std::fputs(shown.c_str(), stdout);
        return ExitCodeOfOutput(EXIT_SUCCESS);
    }
    // From here on a signal ends the run by its own path, which gives every
    // port back: exit 128 + the signal, as a shell shows one the signal ended.
    // SIGQUIT too leaves no core: it is a request to stop, not a fault, and a
    // root process's core would hold the run's memory wherever it is written.
    comdev::StopSignals stops;
    stops.Install();
    if (options.action == CliAction::Status) {
        UseLockDirectory();
        const int status = ExitCodeOfOutput(RunStatus(options, report, stops));
        // Stopped by a signal: nothing was changed, the exit code says which.
        return stops.Signal() == 0 ? status : kExitSignalBase + stops.Signal();
    }
    UseLockDirectory();
    const bool colour =
        ColourWanted(isatty(STDOUT_FILENO) == 1, std::getenv("NO_COLOR"), std::getenv("TERM"));
    const TerminalOutput output{options.quiet ? nullptr : stdout, !options.quiet && colour,
                                !options.quiet && isatty(STDERR_FILENO) == 1 ? stderr : nullptr,
                                options.verbose};
    bool declined = false;
    const SwitchOutcome outcome = RunSwitchCommand(
        options, output, report, stops, options.yes ? nullptr : AskOnTerminal, &declined);
    if (declined) return kExitCancelled;
    FlushStandardOutput();
    return ExitCodeOf(outcome, stops);
}
