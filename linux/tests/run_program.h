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
    std::string input;                                      // its standard input
    std::vector<std::pair<std::string, std::string>> env;   // set for it alone
    bool asNobody = false;  // run as the unprivileged user nobody, without groups
};

// Runs the program with args in a Russian locale (the expected log texts are
// the Russian ones).
Finished RunProgram(const std::vector<std::string>& args, const RunSettings& settings = {});

// The simulator's COMn as a device path.
std::string PortPath(int com);
