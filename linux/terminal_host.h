// The switch host of the command line: the run's log goes to stdout as it
// grows (its two marker words coloured on a terminal that takes colour), the
// progress to a one-line bar on stderr when stderr is a terminal, and what a
// stop signal means for the modem to stderr.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "port_report.h"
#include "stop_signals.h"
#include "switch_host.h"

struct TerminalOutput {
    std::FILE* log;        // stdout, or nullptr for a quiet run
    bool colour;           // the log is a terminal that takes colour (ColourWanted)
    std::FILE* progress;   // stderr when it is a terminal, else nullptr
    bool verbose = false;  // each port passed over is told at once
};

// The log also tells, through report (when given), the modem's port and,
// after a run that found none, why each port was passed over. stops are the
// command line's stop signals, which the host asks before each step.
class TerminalHost final : public SwitchHost {
public:
    TerminalHost(Language language, TerminalOutput output, comdev::StopSignals& stops,
                 const PortReport* report = nullptr)
        : language_(language), out_(output), stops_(stops), report_(report) {}

    // The mode a switch sets, for the log's closing text; none for a search.
    void SwitchingTo(ModemMode mode);

    void ClearLog() override {}
    void AppendLog(const char* text) override;
    void SetProgressRange(int lower, int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void FinishRun() override;
    void PortProbed(const PortProbe& probe) override;
    // A ZTE or Huawei stick's port is its vendor's modem by its USB identity,
    // whatever its manufacturer line says (through report, when given).
    const Vendor* VendorOfDevice(const char* name) override;
    void ExplainNoModem(const comdev::PortNames& busyPorts) override;
    // For a search without a log (status): the same lines ExplainNoModem
    // logs, why each port was passed over and the sticks with no port, to to.
    void TellWhyNoModem(std::FILE* to) const;
    // A stop signal ends the search and the queries; from the first command
    // that changes the modem on, the first one is held until the list has
    // ended (comdev stop signals), and said on stderr as it comes.
    bool StopRequested(RunStage next) override;

private:
    std::string LinuxLogText(const char* text) const;
    void WriteLog(const std::string& text);
    void Notice(const char* text);
    void TellFinishing();
    void DrawBar();
    void EraseBar();

    Language language_;
    TerminalOutput out_;
    comdev::StopSignals& stops_;
    const PortReport* report_;
    std::vector<std::string> passedOver_;  // kept for the end of a run without a modem
    int lower_ = 0;
    int upper_ = 0;
    int pos_ = 0;
    size_t barWidth_ = 0;  // characters of the bar on screen, 0 when none
    bool finishingTold_ = false;
    bool lineOpen_ = false;  // the log's last text did not end its line
    const Text* doneText_ = nullptr;
    std::string command_;  // the command just logged, without its line end
};

// A log text as a terminal shows it (ShownLayout::Log: line breaks "\n",
// what a modem sent that could steer the terminal as escapes). With colour,
// the marker words of the log's language highlighted.
std::string TerminalText(const char* text, bool colour, Language language);

// Colour only on a terminal, and not when NO_COLOR is set and not empty or
// TERM is unset or "dumb". Null stands for an unset variable.
bool ColourWanted(bool terminal, const char* noColor, const char* term);

// Reports a failed write to standard output on stderr, the first time only:
// "modemswitch: standard output: <reason>".
void ReportStandardOutputError(int error);
