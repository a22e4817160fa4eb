// modemswitch for Linux: the Windows program's switch run from a command
// line. See README.md ("On Linux") for the use and the exit codes.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli_options.h"
#include "cli_texts.h"
#include "language.h"
#include "modem_manager.h"
#include "port_paths.h"
#include "switch_constants.h"
#include "switch_texts.h"
#include "terminal_host.h"

namespace {

int Usage(const std::string& why) {
    std::fprintf(stderr, "modemswitch: %s\n%s", why.c_str(), Tr(kTextUsage));
    return kExitUsage;
}

// The same question the dialog asks; only "д" or "y" (any case, or the
// words) goes on. No answer at all (end of input) is a no.
bool Confirmed(ModemMode mode) {
    std::fprintf(
        stderr, "%s%s",
        Tr(mode == ModemMode::ModemOnly ? kTextConfirmModemOnly : kTextConfirmExtraFunctions),
        Tr(kTextConfirmQuestion));
    std::fflush(stderr);
    char answer[32] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) return false;
    const std::string word(answer, std::strcspn(answer, "\r\n"));
    return word == "y" || word == "Y" || word == "yes" || word == "д" || word == "Д" ||
           word == "да";
}

void UsePorts(const CliOptions& options) {
    comdev::SetPortPaths(options.ports.empty() ? comdev::ScanPortPaths("/dev") : options.ports);
    // Tests and unusual systems name another lock directory.
    if (const char* lockDir = std::getenv("MODEMSWITCH_LOCK_DIR")) {
        comdev::SetLockDirectory(lockDir);
    }
}

}  // namespace

int main(int argc, char** argv) {
    SetCliLanguage(LanguageOfEnvironment());
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(argc, argv, &options, &error)) return Usage(error);
    if (options.help) {
        std::printf(Tr(kTextHelp), comdev::kMaxPortPaths, kProbeTimeoutMs,
                    kCommandTimeoutMs / 1000.0);
        return EXIT_SUCCESS;
    }
    if (options.version) {
        std::puts("modemswitch " MODEMSWITCH_VERSION);
        return EXIT_SUCCESS;
    }
    // Reading the mode is not part of this program yet; never switch instead.
    if (options.action == CliAction::Status)
        return Usage(std::string(Tr(kTextUnknownMode)) + "status");
    if (!options.quiet && ProcessRunning("/proc", kModemManagerName)) {
        std::fputs(Tr(kTextModemManager), stderr);
    }
    if (!options.yes && !Confirmed(options.mode)) return kExitCancelled;

    UsePorts(options);
    const TerminalOutput output{options.quiet ? nullptr : stdout,
                                !options.quiet && isatty(STDOUT_FILENO) == 1,
                                !options.quiet && isatty(STDERR_FILENO) == 1 ? stderr : nullptr};
    TerminalHost host(options.mode, CliLanguage(), output);
    return static_cast<int>(host.RunSwitch());
}
