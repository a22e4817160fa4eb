#include "cli_options.h"

#include <getopt.h>

#include <cstring>

#include "cli_texts.h"
#include "shown_text.h"

namespace {

// Options without a short form get values past any character.
enum LongOnly : int { kJson = 256, kShowImei, kForce };

// The leading '-' hands the command word over in its place (whatever
// POSIXLY_CORRECT says); ':' reports a missing argument as ':'.
constexpr char kShortOptions[] = "-:p:yqvhV";

constexpr option kLongOptions[] = {
    {"port", required_argument, nullptr, 'p'}, {"yes", no_argument, nullptr, 'y'},
    {"quiet", no_argument, nullptr, 'q'},      {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},       {"version", no_argument, nullptr, 'V'},
    {"json", no_argument, nullptr, kJson},     {"show-imei", no_argument, nullptr, kShowImei},
    {"force", no_argument, nullptr, kForce},   {nullptr, 0, nullptr, 0},
};

// The options that only switch something on.
struct Flag {
    int value;
    bool CliOptions::*field;
};
constexpr Flag kFlags[] = {
    {'y', &CliOptions::yes},
    {'q', &CliOptions::quiet},
    {'v', &CliOptions::verbose},
    {'h', &CliOptions::help},
    {'V', &CliOptions::version},
    {kJson, &CliOptions::json},
    {kShowImei, &CliOptions::showImei},
    {kForce, &CliOptions::force},
};

bool* FlagOf(int result, CliOptions* options) {
    for (const Flag& flag : kFlags) {
        if (flag.value == result) return &(options->*flag.field);
    }
    return nullptr;
}

bool ParseCommand(const std::string& word, CliOptions* options) {
    if (word == "status" || word == "list") {
        options->action = word == "status" ? CliAction::Status : CliAction::List;
        return true;
    }
    return ParseModeWord(word, &options->mode);
}

// The one command word; a second one, or an unknown one, is bad usage.
bool TakeCommand(const char* word, bool* haveCommand, CliOptions* options, std::string* error) {
    if (*haveCommand) {
        *error = Tr(kTextOneMode);
        return false;
    }
    if (!ParseCommand(word, options)) {
        *error = Tr(kTextUnknownMode) + ShownLine(word);
        return false;
    }
    *haveCommand = true;
    return true;
}

// What getopt refused (or a --port with an empty path), in our words.
// `word` is the argument it was reading: a long option names itself, a short
// one only by its letter (it may sit in a group such as -yx). Either is
// echoed as the terminal may show it.
std::string Refusal(int result, const char* word) {
    if (result == ':' || result == 'p') return Tr(kTextPortNeedsPath);
    const std::string option =
        std::strncmp(word, "--", 2) == 0 ? word : std::string("-") + static_cast<char>(optopt);
    return Tr(kTextUnknownOption) + ShownLine(option);
}

// Options that belong to one command only.
bool FitsCommand(const CliOptions& options, std::string* error) {
    const bool status = options.action == CliAction::Status;
    const bool list = options.action == CliAction::List;
    std::string why;
    if (!status && !list && options.json) {
        why = std::string(Tr(kTextOnlyWithStatusOrList)) + "--json";
    } else if (!status && options.showImei) {
        why = std::string(Tr(kTextOnlyWithStatus)) + "--show-imei";
    } else if ((status || list) && options.force) {
        why = std::string(Tr(status ? kTextNotWithStatus : kTextNotWithList)) + "--force";
    }
    if (why.empty()) return true;
    *error = why;
    return false;
}

}  // namespace

bool ParseCliOptions(int argc, const char* const* argv, CliOptions* options, std::string* error) {
    // getopt_long reorders the array it is given, never the strings.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) args.push_back(const_cast<char*>(argv[i]));
    args.push_back(nullptr);
    optind = 0;  // glibc: start afresh, forgetting any half-read group
    opterr = 0;

    bool haveCommand = false;
    for (;;) {
        const int at = optind == 0 ? 1 : optind;  // the argument this call reads
        const int result = getopt_long(argc, args.data(), kShortOptions, kLongOptions, nullptr);
        if (result == -1) break;
        if (bool* flag = FlagOf(result, options)) {
            *flag = true;
            if (options->help || options->version) return true;  // the rest is not read
        } else if (result == 1) {
            if (!TakeCommand(optarg, &haveCommand, options, error)) return false;
        } else if (result == 'p' && *optarg != '\0') {
            options->ports.push_back(optarg);
        } else {
            *error = Refusal(result, args[at]);
            return false;
        }
    }
    // After "--" every argument is a word, never an option.
    for (int i = optind; i < argc; ++i) {
        if (!TakeCommand(args[i], &haveCommand, options, error)) return false;
    }
    if (!haveCommand) {
        *error = Tr(kTextNoMode);
        return false;
    }
    if (options->ports.size() > kMaxPorts) {
        *error = Tr(kTextTooManyPorts) + std::to_string(kMaxPorts);
        return false;
    }
    return FitsCommand(*options, error);
}
