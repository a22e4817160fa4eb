// Drives the real program from a second process as a user would, and checks
// what it shows. Runs the whole-program scenarios by default; --demo runs
// one switch as a showcase; --layout only sets up the simulated modems.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "check_report.h"
#include "demo_run.h"
#include "scenarios.h"
#include "simulated_modems.h"

namespace {

struct Options {
    std::string exePath;
    std::string screenshotPath;
    std::string logPath;
    std::string only;                   // run only scenarios whose name contains this
    std::optional<std::string> layout;  // set this simulator layout and stop
    bool demo = false;
};

void PrintUsage() {
    std::fprintf(stderr,
                 "usage: modemswitch-driver --exe PATH [--screenshot FILE.bmp] [--only TEXT]\n"
                 "       modemswitch-driver --demo --exe PATH [--screenshot FILE.bmp] "
                 "[--log FILE.txt]\n"
                 "       modemswitch-driver --layout \"COM4=zte ...\"   (\"\": no modems)\n");
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
        else
            return false;
    }
    return !options->exePath.empty() || options->layout.has_value();
}

int SetLayoutOnly(const std::string& layout) {
    std::string error;
    if (simulated_modems::SetLayout(layout, &error)) return 0;
    std::fprintf(stderr, "modemswitch-driver: layout refused: %s\n", error.c_str());
    return 1;
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
    if (options.demo) return RunDemo({options.exePath, options.screenshotPath, options.logPath});
    return RunScenarios(options);
}
