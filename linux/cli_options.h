// The command line of modemswitch. Its exit codes are the run's outcome
// (SwitchOutcome) and the others in switch_host.h.
#pragma once

#include <string>
#include <vector>

#include "com_device.h"
#include "modem_modes.h"
#include "switch_host.h"

// At most this many --port paths: what one search tries.
constexpr std::size_t kMaxPorts = comdev::kMaxSearchPorts;

enum class CliAction {
    Switch,  // modem-only or extra: change the modem's mode
    Status,  // read the modem's mode, change nothing
    List,    // list the ports the search would try, send nothing
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
    bool json = false;      // status and list only
    bool showImei = false;  // status only
    bool force = false;     // switch only
};

// Parses argv the way getopt_long does (options and the one command word in
// any order, combined short options, "--port=PATH", "--" ends the options).
// Prints nothing and may be called again. False on bad usage, with the
// reason in *error.
bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error);
