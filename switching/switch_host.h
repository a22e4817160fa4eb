// The switch run and what it needs of whatever runs it: the request (what to
// do) and the host (the operations that report progress to the user). The
// main dialog is a host, and so are the Linux command line, the console host,
// the benchmark and the tests.
#pragma once

#include "com_device.h"
#include "comport.h"
#include "modem_modes.h"
#include "switch_constants.h"
#include "text.h"
#include "vendors.h"

// How a switch run ended, for hosts that act on it. The first three are the
// exit codes of the command lines (modemswitch for Linux, the console host).
enum class SwitchOutcome : int {
    Switched = 0,      // every command of the mode was confirmed by the modem
    NoModem = 1,       // no port identified itself as a modem
    NotConfirmed = 2,  // the modem's port did not reopen, or a command went unconfirmed
    Stopped = 128,     // the host asked to stop before any command that changes the modem
};

// What a run is about to do when it asks its host whether to stop.
enum class RunStage {
    Searching,  // try the next port
    Commands,   // go on with the modem found: queries that change nothing
    Changing,   // send the first command that changes the modem
};

// The command lines' other exit codes, so that no two of them mean
// different things by the same number.
enum ExitCode : int {
    kExitCancelled = 3,           // the user said no at the prompt; nothing was sent
    kExitUsage = 64,              // EX_USAGE: the command line was not understood
    kExitNoStandardStreams = 71,  // EX_OSERR: a closed stdin, stdout or stderr stayed closed
    kExitOutputError = 74,        // EX_IOERR: --help, --version or status could not write stdout
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

// What a run is asked to do. The Windows hosts ask for what the dialog has
// always done (WindowsRequest, app/windows_hosts.h): Russian, no guard, the
// port closed after the search and opened again for the commands.
struct SwitchRequest {
    ModemMode mode;
    Language language;        // of the log's texts
    bool keepPort;            // the port found stays open until the session ends
    bool guarded;             // with keepPort: the vendor's guard may refuse the switch
    comdev::StopToken* stop;  // handed to every open; null: none
    // The vendors the search knows, in the order their marks are searched.
    const VendorList* vendors = &kKnownVendors;
    // The candidate ports, in the order to try them; null: the device's own
    // list (comdev::SearchPorts).
    const comdev::PortNames* ports = nullptr;
};

// Generations of a stick's vendor, noted once each.
class GenerationSet {
public:
    bool Has(const Generation* generation) const {
        for (int i = 0; i < count_; ++i) {
            if (rows_[i] == generation) return true;
        }
        return false;
    }
    void Add(const Generation* generation) {
        if (!Has(generation) && count_ < kMaxGenerations) rows_[count_++] = generation;
    }

private:
    static constexpr int kMaxGenerations = 8;
    const Generation* rows_[kMaxGenerations] = {};
    int count_ = 0;
};

// What a session has learnt of its stick, so that the guard, the switch, the
// read-back and the status share it and nothing the stick refused is asked
// again.
struct StickKnowledge {
    // The stick's generation: its vendor's only one, or the one whose mode
    // query the stick answered or whose switch it confirmed. Null until then.
    const Generation* generation = nullptr;
    GenerationSet queryRefused;  // generations whose mode query the stick refused
    GenerationSet listRefused;   // generations whose switch command it refused
    const Generation* asked = nullptr;  // the generation whose mode query was asked last
    // Whether the stick was asked its mode, and the mode it reported and
    // that answer, until a command changes it.
    bool modeAsked = false;
    bool modeKnown = false;
    ModeReport mode{};
    char modeAnswer[kAnswerBufferSize] = {};

    void ModeChanged() { modeAsked = modeKnown = false; }
};

// The modem a run found: its port's name, its vendor's row, what it answered
// to the search's identification, what the run learnt of its firmware and,
// when the request kept it, its port, open and locked until the session ends
// (given back once, on destruction).
struct ModemSession {
    ModemSession() = default;
    ModemSession(const ModemSession&) = delete;
    ModemSession& operator=(const ModemSession&) = delete;
    ~ModemSession() { ComClose(&port); }

    char name[comdev::kPortNameSize] = {};
    const Vendor* vendor = nullptr;
    char identification[kAnswerBufferSize] = {};
    StickKnowledge stick;
    ComPort port{comdev::kClosedDevice, 0, 0, 0};
};

class SwitchHost {
public:
    virtual void ClearLog() = 0;
    virtual void AppendLog(const char* text) = 0;
    virtual void SetProgressRange(int lower, int upper) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual void StepProgress() = 0;
    // Marks the run as over, then lets the user leave.
    virtual void FinishRun() = 0;
    // Asked before each port is tried, before the modem found is asked or
    // sent anything more, and right before the first command that changes
    // it: true ends the run there (Stopped), with nothing more sent to a
    // port. The dialog never stops a run.
    virtual bool StopRequested(RunStage /*next*/) { return false; }

    // The vendor whose USB device the named port belongs to, where the system
    // tells it (Linux sysfs); such a port that answers the probe with OK is
    // that vendor's modem whatever its identification says. None by default:
    // the dialog goes by the marks alone.
    virtual const Vendor* VendorOfDevice(const char* /*name*/) { return nullptr; }

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

// Runs one whole switch against host: finds the modem on the ports the
// device lists (comdev::SearchPorts), identifies its vendor, applies the
// vendor's guard when the request asks, and sends the commands of the
// request's mode. session (optional) tells which modem was found and, with
// keepPort, holds its port on.
SwitchOutcome RunSwitch(SwitchHost& host, const SwitchRequest& request,
                        ModemSession* session = nullptr);

// Searches as RunSwitch does (the same ports, progress, found line, port
// reports and stop requests) and switches nothing. False when no port
// identified itself or the host asked to stop.
bool LocateModem(SwitchHost& host, const SwitchRequest& request, ModemSession* session);

// The rest of RunSwitch on a modem LocateModem found (with keepPort, so its
// port is still open): the guard, the mode's header, its commands and the
// closing texts, then FinishRun. A host can so find the modem, ask its user,
// and switch it without a second search.
SwitchOutcome SwitchLocated(SwitchHost& host, const SwitchRequest& request,
                            ModemSession* session);

// Asks a found modem its mode without changing it, on the port the session
// holds. A stick whose generation is not yet known is asked each of its
// vendor's mode queries in turn until one is not refused; what it answers
// is kept in the session (a later call reads it there until a command
// changes the mode), and a refused query is never asked again. True when
// the answer ended in OK and held a report of the mode; false when the port
// is closed, every query was refused, or the stick said nothing readable.
// For the guard, the read-back and hosts that show a modem's state.
bool QueryModeOn(ModemSession* session, ModeReport* report);

// The mode query a host names when the stick reported no mode: the one it
// answered last without a report, else (all refused) the first generation's.
const char* ModeQueryOf(const ModemSession& session);
