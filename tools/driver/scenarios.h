// The whole-program scenarios: each starts its own copy of the program,
// drives it as a user would and reports its checks.
#pragma once

#include <string>

#include "check_report.h"

struct ScenarioSettings {
    std::string exePath;
    std::string screenshotPath;  // picture of a finished run; none if empty
};

using Scenario = void (*)(const ScenarioSettings&, CheckReport&);

struct NamedScenario {
    const char* name;
    Scenario run;
};

// All scenarios in the order they run.
const NamedScenario* Scenarios(int* count);
