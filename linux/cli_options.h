// The command line of modemswitch and the exit codes it adds to those of a
// run (SwitchOutcome: 0 switched, 1 no modem, 2 not confirmed).
#pragma once

#include <string>
#include <vector>

#include "modem_modes.h"

enum ExitCode : int {
    kExitCancelled = 3,  // the user said no at the prompt
    kExitUsage = 64,     // EX_USAGE
};

struct CliOptions {
    bool help = false;
    ModemMode mode = ModemMode::ModemOnly;
    std::vector<std::string> ports;  // empty: scan /dev
    bool yes = false;
    bool quiet = false;
};

// False on bad usage, with the reason in *error.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error);
