// The command line as getopt_long reads it: every accepted form with what it
// sets, every refused form with the reason given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_options.h"
#include "cli_texts.h"
#include "com_device.h"

namespace {

// What a parse set, in one line a table can spell out.
std::string Summary(const CliOptions& options) {
    std::string out;
    if (options.help) return "help";
    if (options.version) return "version";
    if (options.action == CliAction::Status) {
        out = "status";
    } else if (options.action == CliAction::List) {
        out = "list";
    } else {
        out = options.mode == ModemMode::ModemOnly ? "modem-only" : "extra";
    }
    for (const std::string& port : options.ports) out += " port=" + port;
    if (options.yes) out += " yes";
    if (options.quiet) out += " quiet";
    if (options.verbose) out += " verbose";
    if (options.json) out += " json";
    if (options.showImei) out += " imei";
    if (options.force) out += " force";
    return out;
}

struct Parsed {
    bool ok = false;
    std::string summary;  // when accepted
    std::string error;    // when refused
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "modemswitch");
    CliOptions options;
    Parsed parsed;
    parsed.ok =
        ParseCliOptions(static_cast<int>(args.size()), args.data(), &options, &parsed.error);
    if (parsed.ok) parsed.summary = Summary(options);
    return parsed;
}

std::string Words(const std::vector<const char*>& args) {
    std::string out;
    for (const char* arg : args) out += std::string(" '") + arg + "'";
    return out;
}

TEST(CliOptions, AcceptedForms) {
    const struct {
        std::vector<const char*> args;
        const char* summary;
    } cases[] = {
        {{"modem-only"}, "modem-only"},
        {{"extra"}, "extra"},
        {{"status"}, "status"},
        {{"-p", "/dev/ttyUSB2", "extra"}, "extra port=/dev/ttyUSB2"},
        {{"-p/dev/ttyUSB2", "extra"}, "extra port=/dev/ttyUSB2"},
        {{"extra", "--port", "/dev/ttyUSB2"}, "extra port=/dev/ttyUSB2"},
        {{"extra", "--port=/dev/ttyUSB2", "-p", "/dev/ttyACM0"},
         "extra port=/dev/ttyUSB2 port=/dev/ttyACM0"},
        {{"--po=/dev/ttyUSB1", "extra"}, "extra port=/dev/ttyUSB1"},  // unambiguous prefix
        {{"-yq", "modem-only"}, "modem-only yes quiet"},
        {{"-yvp", "/dev/ttyUSB0", "extra"}, "extra port=/dev/ttyUSB0 yes verbose"},
        {{"--yes", "--quiet", "--verbose", "modem-only"}, "modem-only yes quiet verbose"},
        {{"modem-only", "--force", "-y"}, "modem-only yes force"},
        {{"status", "--json", "--show-imei", "-p", "/dev/ttyUSB2"},
         "status port=/dev/ttyUSB2 json imei"},
        {{"--json", "list"}, "list json"},
        {{"-y", "--", "extra"}, "extra yes"},
        {{"--help"}, "help"},
        {{"-h", "turbo"}, "help"},
        {{"--version"}, "version"},
        {{"-V"}, "version"},
        {{"-qV"}, "version"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = Parse(c.args);
        EXPECT_TRUE(parsed.ok) << Words(c.args) << ": " << parsed.error;
        EXPECT_EQ(parsed.summary, c.summary) << Words(c.args);
    }
}

TEST(CliOptions, RefusedFormsSayWhy) {
    // Tr gives the English texts: the tests set no language.
    const std::string unknownOption = Tr(kTextUnknownOption);
    const std::string onlyWithStatus = Tr(kTextOnlyWithStatus);
    const struct {
        std::vector<const char*> args;
        std::string error;
    } cases[] = {
        {{}, Tr(kTextNoMode)},
        {{"-y"}, Tr(kTextNoMode)},
        {{"turbo"}, std::string(Tr(kTextUnknownMode)) + "turbo"},
        {{"\033]0;owned\a"}, std::string(Tr(kTextUnknownMode)) + "\\x1b]0;owned\\x07"},
        {{"modem-only", "extra"}, Tr(kTextOneMode)},
        {{"status", "status"}, Tr(kTextOneMode)},
        {{"extra", "--colour"}, unknownOption + "--colour"},
        {{"extra", "--yes=1"}, unknownOption + "--yes=1"},
        {{"extra", "--ver"}, unknownOption + "--ver"},  // --verbose or --version
        {{"extra", "-x"}, unknownOption + "-x"},
        {{"extra", "-yx"}, unknownOption + "-x"},
        {{"extra", "--\xe2\x80\xae\n"}, unknownOption + "--\\u202e\\x0a"},
        {{"extra", "-\x9b"}, unknownOption + "-\\x9b"},
        {{"extra", "--port"}, Tr(kTextPortNeedsPath)},
        {{"extra", "-p"}, Tr(kTextPortNeedsPath)},
        {{"extra", "--port", ""}, Tr(kTextPortNeedsPath)},
        {{"extra", "--port="}, Tr(kTextPortNeedsPath)},
        {{"--", "--yes", "extra"}, std::string(Tr(kTextUnknownMode)) + "--yes"},
        {{"extra", "--json"}, std::string(Tr(kTextOnlyWithStatusOrList)) + "--json"},
        {{"modem-only", "--show-imei"}, onlyWithStatus + "--show-imei"},
        {{"list", "--show-imei"}, onlyWithStatus + "--show-imei"},
        {{"status", "--force"}, std::string(Tr(kTextNotWithStatus)) + "--force"},
        {{"list", "--force"}, std::string(Tr(kTextNotWithList)) + "--force"},
        {{"list", "status"}, Tr(kTextOneMode)},
    };
    for (const auto& c : cases) {
        const Parsed parsed = Parse(c.args);
        EXPECT_FALSE(parsed.ok) << Words(c.args) << " gave " << parsed.summary;
        EXPECT_EQ(parsed.error, c.error) << Words(c.args);
    }
}

TEST(CliOptions, MorePortsThanASearchTriesAreTooMany) {
    std::vector<const char*> args = {"extra"};
    for (int i = 0; i <= comdev::kMaxSearchPorts; ++i)
        args.insert(args.end(), {"-p", "/dev/ttyUSB0"});
    EXPECT_FALSE(Parse(args).ok);
    args.resize(args.size() - 2);
    EXPECT_TRUE(Parse(args).ok);
}

}  // namespace
