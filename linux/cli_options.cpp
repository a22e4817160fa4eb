#include "cli_options.h"

#include <cstring>

#include "cli_texts.h"
#include "language.h"
#include "port_paths.h"
#include "switch_host.h"

namespace {

bool ParseMode(const std::string& word, ModemMode* mode) {
    if (word == "modem-only") {
        *mode = ModemMode::ModemOnly;
        return true;
    }
    if (word == "extra") {
        *mode = ModemMode::ExtraFunctions;
        return true;
    }
    return false;
}

}  // namespace

bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error) {
    bool haveMode = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            return true;
        } else if (arg == "--yes" || arg == "-y") {
            options->yes = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options->quiet = true;
        } else if (arg == "--port") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *error = Tr(kTextPortNeedsPath);
                return false;
            }
            options->ports.push_back(argv[++i]);
        } else if (arg.rfind("-", 0) == 0) {
            *error = std::string(Tr(kTextUnknownOption)) + arg;
            return false;
        } else if (haveMode) {
            *error = Tr(kTextOneMode);
            return false;
        } else if (!ParseMode(arg, &options->mode)) {
            *error = std::string(Tr(kTextUnknownMode)) + arg;
            return false;
        } else {
            haveMode = true;
        }
    }
    if (!haveMode) {
        *error = Tr(kTextNoMode);
        return false;
    }
    if (options->ports.size() > comdev::kMaxPortPaths) {
        *error = Tr(kTextTooManyPorts) + std::to_string(comdev::kMaxPortPaths);
        return false;
    }
    return true;
}
