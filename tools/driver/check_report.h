// Named pass/fail checks of one driver run. Every check prints one line, so a
// failing ctest log says which expectation broke and what was seen instead.
#pragma once

#include <string>

class CheckReport {
public:
    // Starts a named group of checks in the output.
    void BeginScenario(const std::string& name);

    // Records one check. detail (Windows-1251, as read from the program's
    // windows) is printed only when the check fails. Returns ok.
    bool Expect(bool ok, const std::string& name, const std::string& detail = {});

    // Records a failure that stops the current scenario, such as a window
    // that never appeared. Always returns false.
    bool Fail(const std::string& name, const std::string& detail = {});

    int Failures() const { return failures_; }

    // Prints the totals; returns the process exit code (0 only if all passed
    // and at least one check ran).
    int Finish() const;

private:
    int passed_ = 0;
    int failures_ = 0;
};
