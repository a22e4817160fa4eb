// The vendors the program knows, one row each: the mark a modem's
// identification carries, the log line when it is found, the two command
// lists, how its answers report a refusal, and the query that tells the
// modem's mode without changing it. A new vendor is one more row.
//
// A command list is one block: its commands back to back, each ending in
// "\r\n" and zero-terminated, the block closed by an empty string. Walk it by
// moving past each command by its length plus one until the empty string.
#pragma once

#include "modem_modes.h"
#include "text.h"

// The mode a modem reports, in the program's terms.
enum class ReportedMode {
    ModemOnly,
    ExtraFunctions,
    Unknown,  // a value the program does not set, such as a HiLink stick's
};

constexpr int kRawModeSize = 40;

// What a mode query's answer said: the mode, the modem's own value as text
// ("^U2DIAG: 257", "autorun 1"), zero-terminated, and that value as a
// number (-1 when it is no number).
struct ModeReport {
    ReportedMode mode;
    char raw[kRawModeSize];
    long value;
};

// report->raw: label, then the rest of value's line, as far as it fits.
void SetRaw(ModeReport* report, const char* label, const char* value);

// Reads a mode query's answer; false when it holds no report of the mode.
using ModeAnswerParser = bool (*)(const char* answer, ModeReport* report);

constexpr int kComposedSize = 96;

// What a row that computes its command makes of its queries' answers.
struct ComposedCommands {
    enum class Result {
        Send,        // commands holds what to send
        AlreadySet,  // the modem already has what the mode asks for: nothing to send
        Refused,     // nothing may be sent; refusal says why
    };
    Result result;
    const Text* refusal;
    char commands[kComposedSize];  // a command list, laid out as the fixed ones
    char before[kComposedSize];    // Send: the modem's value before the change
    char restore[kComposedSize];   // Send: the command that puts that value back
};

// Reads the answers to a row's queries (its command list for the mode, in
// that order) and fills composed.
using CommandComposer = void (*)(const char* const* answers, int answerCount, ModemMode mode,
                                 ComposedCommands* composed);

// Values of a vendor's mode query that stop one switch before anything is
// sent, with what the log says then: refused, the modem's value, why.
struct ModeGuard {
    ModemMode mode;  // the switch it stops
    long values[2];
    Text refused;
    Text why;

    bool Stops(long value) const { return value == values[0] || value == values[1]; }
};

struct Vendor {
    ModemVendor id;
    const char* name;  // as the status command names it
    const char* mark;  // searched in the identification, case-sensitive
    Text found;        // the log line when its modem is found
    const char* modemOnlyCommands;
    const char* extraFunctionsCommands;
    // An answer carrying this marker followed by the digit 0 reports that
    // the modem refused the command; null for a vendor without such reports.
    // An answer without the marker is confirmed by OK alone, as some ZTE
    // firmware leaves it out.
    const char* failureMarker;
    const char* modeQuery;  // changes nothing; "\r\n"-terminated
    ModeAnswerParser parseModeAnswer;
    // Null for a row whose lists are the switch. Otherwise its lists are
    // queries that change nothing, the first its mode query, and this makes
    // the switch's command of their answers.
    CommandComposer composeCommands;
    // The row the switch goes on with when the modem refused a command of
    // this row's list (ERROR, COMMAND NOT SUPPORT, +CME ERROR); null for none.
    const Vendor* onRefusal;
    // Said after the completion text of a switch by this row; null for none.
    const Text* afterSwitch;
    // Checked before the switch when the run's request asks; null for none.
    const ModeGuard* guard;
};

// Huawei, then ZTE: with each row's ModemOnly list first, the fixed order of
// the four command lists. Then the Huawei firmware that keeps its USB
// composition in AT^SETPORT, which no identification names: the Huawei row
// goes on with it when its command is refused.
constexpr int kVendorCount = 3;
extern const Vendor kVendors[kVendorCount];

const Vendor& VendorOf(ModemVendor id);

// The vendor whose mark the identification answer carries, searched up to
// its first zero byte; ZTE's mark wins when it carries both. Null for none.
const Vendor* IdentifyVendor(const char* answer);

// The ModemOnly list for ModemOnly, the ExtraFunctions list for any other value.
const char* CommandsFor(const Vendor& vendor, ModemMode mode);
