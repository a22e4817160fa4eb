// modemswitch started as a program, its output going to files (not a
// terminal), for the tests that run it beside the simulator.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct Finished {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct RunSettings {
    std::string input;                                     // its standard input
    std::string locale = "ru_RU.UTF-8";                    // LC_ALL: most expected texts are Russian
    std::vector<std::pair<std::string, std::string>> env;  // set for it alone
    bool asNobody = false;  // run as the unprivileged user nobody, without groups
};
RunSettings WithInput(std::string input);
RunSettings InLocale(std::string locale);

Finished RunProgram(const std::vector<std::string>& args, const RunSettings& settings = {});

// The simulator's COMn as a device path.
std::string PortPath(int com);
