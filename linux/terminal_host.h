// The switch host of the command line: the run's log goes to stdout as it
// grows (its two marker words coloured on a terminal), the progress to a
// one-line bar on stderr when stderr is a terminal.
#pragma once

#include <cstdio>
#include <string>

#include <vector>

#include "port_report.h"
#include "switch_host.h"

struct TerminalOutput {
    std::FILE* log;       // stdout, or nullptr for a quiet run
    bool colour;          // the log is a terminal
    std::FILE* progress;  // stderr when it is a terminal, else nullptr
    bool verbose = false; // each port passed over is told at once
};

// The log also tells, through report (when given), the modem's port and,
// after a run that found none, why each port was passed over.
class TerminalHost final : public SwitchHost {
public:
    TerminalHost(ModemMode mode, Language language, TerminalOutput output,
                 const PortReport* report = nullptr)
        : mode_(mode), language_(language), out_(output), report_(report) {}

    ModemMode Mode() const override { return mode_; }
    Language TextLanguage() const override { return language_; }
    void ClearLog() override {}
    void AppendLog(const char* text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void FinishRun() override;
    void PortProbed(const PortProbe& probe) override;
    void ExplainNoModem(const comdev::PortNumbers& busyPorts) override;

private:
    void DrawBar();
    void EraseBar();

    ModemMode mode_;
    Language language_;
    TerminalOutput out_;
    const PortReport* report_;
    std::vector<std::string> passedOver_;  // kept for the end of a run without a modem
    int lower_ = 0;
    int upper_ = 0;
    int pos_ = 0;
    bool barShown_ = false;
};

// A log text as a terminal shows it: line breaks "\n", control bytes a modem
// may send made harmless, and with colour the marker words of the log's
// language highlighted.
std::string TerminalText(const char* text, bool colour, Language language);
