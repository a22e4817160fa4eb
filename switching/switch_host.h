// What the switch procedure needs of whatever runs it: the requested mode and
// the operations that report progress to the user. The main dialog implements
// it, and so do the Linux command line, the console host, the benchmark and
// the tests.
#pragma once

#include "com_device.h"
#include "com_platform.h"
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
    NotOpened,  // did not open (refusal and systemError tell why)
    NoAnswer,   // opened, but answered nothing beyond the echo within the probe's time-out
    NotAModem,  // answered, but not as a ZTE or Huawei modem
};

struct PortProbe {
    int number;  // the port: COM<number>, or the number-th path of the port list
    ProbeResult result;
    comdev::OpenRefusal refusal;  // NotOpened: what the system's error means
    DWORD systemError;            // NotOpened: GetLastError() or errno
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

class SwitchHost;
// The dialog's line after a run that found no modem: the ports another
// program holds, "Порт COM4 занят ..." or "Порты COM4, COM7 заняты ...";
// nothing when there are none.
void SayBusyPorts(SwitchHost& host, const comdev::PortNumbers& busyPorts);

// The modem a search found: its port's number and its vendor's row.
struct FoundModem {
    int number;
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

    // The vendor whose USB device port number belongs to, where the system
    // tells it (Linux sysfs); such a port that answers the probe with OK is
    // that vendor's modem whatever its identification says. None by default:
    // the dialog goes by the marks alone.
    virtual const Vendor* VendorOfDevice(int /*number*/) { return nullptr; }

    // Each port as the search has tried it, the modem's after its found
    // line. Nothing by default.
    virtual void PortProbed(const PortProbe& /*probe*/) {}
    // Follows the error line of a run that found no modem; the dialog's way
    // by default. (Defined here: a virtual function defined out of line would
    // anchor the class's type information in the engine, built without it.)
    virtual void ExplainNoModem(const comdev::PortNumbers& busyPorts) {
        SayBusyPorts(*this, busyPorts);
    }

protected:
    ~SwitchHost() = default;
};

// Thread entry of the dialog's worker thread: param is the SwitchHost.
// Returns 0 whatever the outcome (the log has told the user); a host that acts
// on the outcome calls RunSwitch itself.
DWORD WINAPI SwitchThreadProc(LPVOID param);
