// The vendors the program knows, one row each: the mark a modem's
// identification carries, the log line when it is found, and its firmware
// generations, each with the query that tells the modem's mode without
// changing it, the two command lists (or what makes the command), how its
// answers report a refusal and what guards its switch. A new vendor is one
// more row and its texts; a new generation one more row in its list.
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

// Values of a generation's mode query that stop one switch before anything
// is sent, with what the log says then: refused, the modem's value, why; and
// what it says when the stick reports no mode it can read.
struct ModeGuard {
    ModemMode mode;  // the switch it stops
    long values[2];
    Text refused;
    Text why;
    Text unreported;

    bool Stops(long value) const { return value == values[0] || value == values[1]; }
};

// One firmware generation of a vendor's sticks: how it reports its mode and
// how it is switched. Adding a generation is one more such row in its
// vendor's list.
struct Generation {
    const char* name;       // how the tests and the status name it: "^U2DIAG"
    const char* modeQuery;  // changes nothing; "\r\n"-terminated
    ModeAnswerParser parseModeAnswer;
    // Without a composer, the mode's command list. With one, the queries it
    // reads after the mode query (each list may be empty), the mode query's
    // answer and theirs making the switch's command.
    const char* modemOnlyCommands;
    const char* extraFunctionsCommands;
    CommandComposer composeCommands;
    // An answer carrying this marker followed by the digit 0 reports that
    // the modem refused the command; null for none. An answer without the
    // marker is confirmed by OK alone, as some ZTE firmware leaves it out.
    const char* failureMarker;
    const ModeGuard* guard;   // checked before a guarded switch; null for none
    const Text* afterSwitch;  // said after the completion text; null for none
};

// A vendor's generations, in the order a stick not yet known is tried.
struct GenerationList {
    const Generation* const* rows;
    int count;
    const Generation* const* begin() const { return rows; }
    const Generation* const* end() const { return rows + count; }
};

struct Vendor {
    const char* name;  // as the status command names it
    const char* mark;  // searched in the identification, case-sensitive
    const char* usbVendor;  // its sticks' USB idVendor, four lower-case hex digits
    Text found;        // the log line when its modem is found
    GenerationList generations;
};

// The vendors a search knows, in the order their marks are searched.
struct VendorList {
    const Vendor* const* rows;
    int count;
    const Vendor* const* begin() const { return rows; }
    const Vendor* const* end() const { return rows + count; }
};

// The program's vendors and their generations, by name.
extern const Generation kHuaweiU2diag;   // AT^U2DIAG
extern const Generation kHuaweiSetport;  // AT^SETPORT: firmware that refuses AT^U2DIAG
extern const Generation kZteZcdrun;      // AT+ZCDRUN
extern const Vendor kHuaweiVendor;
extern const Vendor kZteVendor;
// ZTE's mark first: an identification that carries both is ZTE's.
extern const VendorList kKnownVendors;

const Vendor& VendorOf(ModemVendor id);

// The vendor whose mark the identification answer carries, searched up to
// its first zero byte, in the list's order. Null for none.
const Vendor* IdentifyVendor(const char* answer, const VendorList& vendors = kKnownVendors);

// The ModemOnly list for ModemOnly, the ExtraFunctions list for any other value.
const char* CommandsFor(const Generation& generation, ModemMode mode);

// Whether a guard of the vendor's generations stops switches to mode: then a
// guarded switch asks the stick its mode first and refuses one that does
// not report it.
const ModeGuard* GuardFor(const Vendor& vendor, ModemMode mode);
