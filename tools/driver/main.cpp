// Drives the real program from a second process as a user would, and checks
// what it shows. Runs the whole-program scenarios by default; --demo runs
// one switch as a showcase; --layout only sets up the simulated modems and
// --state only tells the mode a simulated modem is in.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "check_report.h"
#include "modemsim_client.h"
#include "demo_run.h"
#include "scenarios.h"

namespace {

struct Options {
    std::string exePath;
    std::string screenshotPath;
    std::string logPath;
    std::string only;                   // run only scenarios whose name contains this
    std::optional<std::string> layout;  // set this simulator layout and stop
    int stateOf = 0;                    // print the mode of the modem on this COM port and stop
    bool demo = false;
};

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: modemswitch-driver --exe PATH [--screenshot FILE.bmp] [--only TEXT]\n"
                 "       modemswitch-driver --demo --exe PATH [--screenshot FILE.bmp] "
                 "[--log FILE.txt]\n"
                 "       modemswitch-driver --layout \"COM4=zte ...\"   (\"\": no modems)\n"
                 "       modemswitch-driver --state N   (the mode of the modem on COM<N>)\n");
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (std::strcmp(name, "--demo") == 0) {
            options->demo = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (std::strcmp(name, "--exe") == 0)
            options->exePath = value;
        else if (std::strcmp(name, "--screenshot") == 0)
            options->screenshotPath = value;
        else if (std::strcmp(name, "--log") == 0)
            options->logPath = value;
        else if (std::strcmp(name, "--only") == 0)
            options->only = value;
        else if (std::strcmp(name, "--layout") == 0)
            options->layout = value;
        else if (std::strcmp(name, "--state") == 0)
            options->stateOf = std::atoi(value.c_str());
        else
            return false;
    }
    return !options->exePath.empty() || options->layout.has_value() || options->stateOf > 0;
}

int SetLayoutOnly(const std::string& layout) {
    ModemSim& sim = ModemSim::Instance();
    if (sim.Layout(layout)) return 0;
    std::fprintf(stderr, "modemswitch-driver: layout refused: %s\n", sim.LastError().c_str());
    return 1;
}

int PrintModemState(int com) {
    ModemSim& sim = ModemSim::Instance();
    const std::string state = sim.State(com);
    if (state.empty()) {
        std::fprintf(stderr, "modemswitch-driver: no state of COM%d: %s\n", com,
                     sim.LastError().c_str());
        return 1;
    }
    std::printf("%s\n", state.c_str());
    return 0;
}

int RunScenarios(const Options& options) {
    const ScenarioSettings settings{options.exePath, options.screenshotPath};
    CheckReport report;
    int count = 0;
    const NamedScenario* scenarios = Scenarios(&count);
    for (int i = 0; i < count; ++i) {
        if (std::string(scenarios[i].name).find(options.only) == std::string::npos) continue;
        report.BeginScenario(scenarios[i].name);
        scenarios[i].run(settings, report);
    }
    return report.Finish();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        PrintUsage();
        return 2;
    }
    if (options.layout) return SetLayoutOnly(*options.layout);
    if (options.stateOf > 0) return PrintModemState(options.stateOf);
    if (options.demo) return RunDemo({options.exePath, options.screenshotPath, options.logPath});
    return RunScenarios(options);
}
