// What the switch procedure needs of whatever runs it: the requested mode and
// the operations that report progress to the user. The main dialog implements
// it, and so do the Linux command line, the console host, the benchmark and
// the tests.
#pragma once

#include "com_device.h"
#include "modem_modes.h"
#include "text.h"

struct Vendor;

// How a switch run ended, for hosts that act on it. The first three are the
// exit codes of the command lines (modemswitch for Linux, the console host).
enum class SwitchOutcome : int {
    Switched = 0,      // every command of the mode was confirmed by the modem
    NoModem = 1,       // no port identified itself as a modem
    NotConfirmed = 2,  // the modem's port did not reopen, or a command went unconfirmed
    Stopped = 128,     // the host asked to stop before any command was sent (a signal)
};

// What a run is about to do when it asks its host whether to stop.
enum class RunStage {
    Searching,  // try the next port
    Commands,   // send the mode's command list to the modem found
};

// The command lines' other exit codes, so that no two of them mean
// different things by the same number.
enum ExitCode : int {
    kExitCancelled = 3,           // the user said no at the prompt; nothing was sent
    kExitUsage = 64,              // EX_USAGE: the command line was not understood
    kExitNoStandardStreams = 71,  // EX_OSERR: a closed stdin, stdout or stderr stayed closed
    kExitSignalBase = 128,        // plus the signal that stopped the run
};

// What one port said when the search tried it.
enum class ProbeResult {
    Modem,      // identified itself as the modem
    NotOpened,  // did not open (failure tells why)
    NoAnswer,   // opened, but answered nothing beyond the echo within the probe's time-out
    NotAModem,  // answered, but not as a ZTE or Huawei modem
};

struct PortProbe {
    const char* name;  // the port, as the search lists it
    ProbeResult result;
    comdev::OpenFailure failure;  // NotOpened: why
    const char* answer;           // what the port sent back; valid during the call only
    int answerLength;             // its bytes (zero bytes included)
};

// A line of an answer: length bytes from text, which may hold zero bytes.
struct AnswerLine {
    const char* text;
    int length;  // 0: no such line
};
// The first line of a probe's answer that is neither blank nor the echo of
// the probe command.
AnswerLine FirstAnswerLine(const char* answer, int length);

// The modem a search found: its port's name and its vendor's row.
struct FoundModem {
    char name[comdev::kPortNameSize];
    const Vendor* vendor;
};

class SwitchHost {
public:
    // Runs one whole switch against this host: finds the modem on the ports
    // the device lists (comdev::SearchPorts), identifies its vendor and sends
    // the commands of Mode(). When found is given and a modem was found, it
    // tells which.
    SwitchOutcome RunSwitch(FoundModem* found = nullptr);

    // Searches as RunSwitch does (the same ports, progress, found line, port
    // reports and stop requests) and switches nothing. False when no port
    // identified itself or the host asked to stop.
    bool LocateModem(FoundModem* found);

    // The requested mode.
    virtual ModemMode Mode() const = 0;

    // The language of the log's texts; the dialog speaks Russian.
    virtual Language TextLanguage() const { return Language::Russian; }
    // Appends one of the run's texts in TextLanguage().
    void Say(const Text& text) { AppendLog(text.In(TextLanguage())); }

    virtual void ClearLog() = 0;
    virtual void AppendLog(const char* text) = 0;
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual void StepProgress() = 0;
    // Marks the run as over, then lets the user leave.
    virtual void FinishRun() = 0;
    // Asked before each port is tried and before the command list is sent:
    // true ends the run there (Stopped), with nothing more sent to a port.
    // The dialog never stops a run.
    virtual bool StopRequested(RunStage /*next*/) { return false; }

    // Asked once the modem is found, before its command list: false leaves
    // the modem as it is and ends the run as not switched (NotConfirmed),
    // the host having said why. The dialog always goes on.
    virtual bool CommandsWanted(const FoundModem& /*modem*/) { return true; }

    // The vendor whose USB device the named port belongs to, where the system
    // tells it (Linux sysfs); such a port that answers the probe with OK is
    // that vendor's modem whatever its identification says. None by default:
    // the dialog goes by the marks alone.
    virtual const Vendor* VendorOfDevice(const char* /*name*/) { return nullptr; }

    // What tells the run's port I/O to give up, handed to every open; none
    // by default (the dialog's runs end by their time-outs).
    virtual comdev::StopToken* PortStop() { return nullptr; }

    // Each port as the search has tried it, the modem's after its found
    // line. Nothing by default.
    virtual void PortProbed(const PortProbe& /*probe*/) {}
    // Follows the error line of a run that found no modem, with the ports
    // whose open another program refused, in the search's order. Nothing by
    // default; each host says it in its own words.
    virtual void ExplainNoModem(const comdev::PortNames& /*busyPorts*/) {}

protected:
    ~SwitchHost() = default;
};
