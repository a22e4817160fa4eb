// One switch as a showcase: confirms "Только модем", waits for the end,
// keeps a picture and the log, and leaves through "Выход".
#pragma once

#include <string>

struct DemoSettings {
    std::string exePath;
    std::string screenshotPath;  // BMP; none if empty
    std::string logPath;         // the log as UTF-8 text; none if empty
};

// Prints the steps and the log (UTF-8). Returns the process exit code.
int RunDemo(const DemoSettings& settings);
