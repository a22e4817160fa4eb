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

enum class CliAction {
    Switch,  // modem-only or extra: change the modem's mode
    Status,  // read the modem's mode, change nothing
};

struct CliOptions {
    bool help = false;
    bool version = false;
    CliAction action = CliAction::Switch;
    ModemMode mode = ModemMode::ModemOnly;  // of a switch
    std::vector<std::string> ports;         // empty: scan /dev
    bool yes = false;
    bool quiet = false;
    bool verbose = false;
    bool json = false;      // status only
    bool showImei = false;  // status only
    bool force = false;     // switch only
};

// Parses argv the way getopt_long does (options and the one command word in
// any order, combined short options, "--port=PATH", "--" ends the options).
// Prints nothing and may be called again. False on bad usage, with the
// reason in *error.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error);
