#include "vendors.h"

#include <cstring>

#include "setport.h"
#include "switch_constants.h"
#include "switch_texts.h"

namespace {

// Each literal's own terminating zero is the empty string that closes the list.
const char kHuaweiModemOnly[] = "AT^U2DIAG=0\r\n\0";
const char kHuaweiExtraFunctions[] = "AT^U2DIAG=257\r\n\0";
const char kZteModemOnly[] = "AT+ZCDRUN=8\r\n\0AT+ZCDRUN=E\r\n\0";
const char kZteExtraFunctions[] = "AT+ZCDRUN=9\r\n\0AT+ZCDRUN=F\r\n\0";
// What the AT^SETPORT generation reads besides its mode query before it
// makes its command: nothing for modem only; for extra functions the codes
// the stick lists, which tell whether it has an SD card (A2).
const char kSetportQuery[] = "AT^SETPORT?\r\n";
const char kSetportModemOnly[] = "\0";
const char kSetportExtraFunctions[] = "AT^SETPORT=?\r\n\0";

// ZTE's answers: "Close autorun state result(0:FAIL 1:SUCCESS):1",
// and to its mode query "Inquiry autorun open state result(0:NO 1:YES):1".
const char kZteFailureMarker[] = "(0:FAIL 1:SUCCESS):";
const char kZteAutorunMarker[] = "(0:NO 1:YES):";
// Huawei's answer to its mode query: "^U2DIAG: 257".
const char kHuaweiModeMarker[] = "^U2DIAG:";
// The values the two Huawei lists set.
constexpr long kU2diagModemOnly = 0;
constexpr long kU2diagExtraFunctions = 257;
constexpr int kMaxValueDigits = 9;  // a long holds it on every target

// Appends the rest of the answer's line at from to out (which holds `used`
// bytes), as far as it fits; out stays zero-terminated.
void AppendLineRest(const char* from, char* out, std::size_t used) {
    while (*from != '\0' && *from != '\r' && *from != '\n' && used + 1 < kRawModeSize) {
        out[used++] = *from++;
    }
    out[used] = '\0';
}

const char* SkipBlanks(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

// Where a number's significant digits start: after blanks and leading zeros.
const char* Digits(const char* value) {
    value = SkipBlanks(value);
    while (*value == '0' && value[1] >= '0' && value[1] <= '9') ++value;
    return value;
}

// The value as a number when its line holds nothing but digits, blanks
// around them allowed ("118 ", " 0118"); -1 otherwise.
long DecimalValue(const char* value) {
    long number = 0;
    int digits = 0;
    for (value = Digits(value); *value >= '0' && *value <= '9'; ++value) {
        if (++digits > kMaxValueDigits) return -1;
        number = number * 10 + (*value - '0');
    }
    value = SkipBlanks(value);
    const bool lineEnds = *value == '\0' || *value == '\r' || *value == '\n';
    return digits > 0 && lineEnds ? number : -1;
}

// The label and the value: a number by its significant digits alone, so
// that "0118 " reads as 118 wherever the report is shown or compared; any
// other text as the modem sent it.
void SetValue(ModeReport* report, const char* label, const char* value) {
    report->value = DecimalValue(value);
    if (report->value < 0) {
        SetRaw(report, label, value);
        return;
    }
    SetRaw(report, label, Digits(value));
    for (std::size_t end = std::strlen(report->raw);
         report->raw[end - 1] == ' ' || report->raw[end - 1] == '\t';) {
        report->raw[--end] = '\0';
    }
}

bool ParseHuaweiMode(const char* answer, ModeReport* report) {
    const char* marker = std::strstr(answer, kHuaweiModeMarker);
    if (marker == nullptr) return false;
    const char* value = SkipBlanks(marker + std::strlen(kHuaweiModeMarker));
    if (*value == '\0' || *value == '\r' || *value == '\n') return false;
    SetValue(report, "^U2DIAG: ", value);
    report->mode = report->value == kU2diagModemOnly        ? ReportedMode::ModemOnly
                   : report->value == kU2diagExtraFunctions ? ReportedMode::ExtraFunctions
                                                            : ReportedMode::Unknown;
    return true;
}

// 1: the CD drive's autorun is on, as the ExtraFunctions list leaves it.
bool ParseZteMode(const char* answer, ModeReport* report) {
    const char* marker = std::strstr(answer, kZteAutorunMarker);
    if (marker == nullptr) return false;
    const char* value = SkipBlanks(marker + std::strlen(kZteAutorunMarker));
    if (*value == '\0' || *value == '\r' || *value == '\n') return false;
    SetValue(report, "autorun ", value);
    report->mode = report->value == 0   ? ReportedMode::ModemOnly
                   : report->value == 1 ? ReportedMode::ExtraFunctions
                                        : ReportedMode::Unknown;
    return true;
}

// Huawei's HiLink firmware reports these; there AT^U2DIAG=0 has been seen to
// leave a stick with no AT port. The command line's switch asks first.
constexpr ModeGuard kHiLinkGuard{
    ModemMode::ModemOnly,
    {118, 119},
    Text{"\r\nОШИБКА: модем Huawei с прошивкой HiLink сообщает ",
         "\r\nERROR: the Huawei modem has HiLink firmware and reports "},
    Text{". На таких модемах AT^U2DIAG=0 оставлял модем без AT-порта. Режим не переключён; "
         "чтобы переключить всё же, добавьте --force.\r\n",
         ". On such modems AT^U2DIAG=0 has left the modem with no AT port. The mode was not "
         "switched; to switch it anyway, add --force.\r\n"},
    Text{"\r\nОШИБКА: модем Huawei не сообщил свой режим, и нельзя проверить, нет ли на нём "
         "прошивки HiLink, на которой AT^U2DIAG=0 оставлял модем без AT-порта. Режим не "
         "переключён; чтобы переключить всё же, добавьте --force.\r\n",
         "\r\nERROR: the Huawei modem did not report its mode, so it cannot be told whether it "
         "has HiLink firmware, on which AT^U2DIAG=0 has left modems with no AT port. The mode "
         "was not switched; to switch it anyway, add --force.\r\n"}};

const Generation* const kHuaweiGenerations[] = {&kHuaweiU2diag, &kHuaweiSetport};
const Generation* const kZteGenerations[] = {&kZteZcdrun};
const Vendor* const kVendorsByMark[] = {&kZteVendor, &kHuaweiVendor};

}  // namespace

void SetRaw(ModeReport* report, const char* label, const char* value) {
    const std::size_t used = std::strlen(label);
    std::memcpy(report->raw, label, used);
    AppendLineRest(value, report->raw, used);
}

const Generation kHuaweiU2diag{"^U2DIAG",        "AT^U2DIAG?\r\n",   ParseHuaweiMode,
                               kHuaweiModemOnly, kHuaweiExtraFunctions, nullptr,
                               nullptr,          &kHiLinkGuard,         nullptr};
const Generation kHuaweiSetport{"^SETPORT",        kSetportQuery,          ParseSetportMode,
                                kSetportModemOnly, kSetportExtraFunctions, ComposeSetport,
                                nullptr,           nullptr,                &kTextReplugModem};
const Generation kZteZcdrun{"ZCDRUN",      "AT+ZCDRUN=4\r\n", ParseZteMode,
                            kZteModemOnly, kZteExtraFunctions, nullptr,
                            kZteFailureMarker, nullptr,        nullptr};

const Vendor kHuaweiVendor{"Huawei", "huawei", "12d1",
                           Text{"\r\nНайден модем Huawei.\r\n", "\r\nFound a Huawei modem.\r\n"},
                           {kHuaweiGenerations, 2}};
const Vendor kZteVendor{"ZTE", "ZTE", "19d2", Text{"\r\nНайден модем ZTE.\r\n", "\r\nFound a ZTE modem.\r\n"},
                        {kZteGenerations, 1}};
const VendorList kKnownVendors{kVendorsByMark, 2};

const Vendor& VendorOf(ModemVendor id) {
    return id == ModemVendor::Zte ? kZteVendor : kHuaweiVendor;
}

const Vendor* IdentifyVendor(const char* answer, const VendorList& vendors) {
    for (const Vendor* vendor : vendors) {
        if (std::strstr(answer, vendor->mark) != nullptr) return vendor;
    }
    return nullptr;
}

const ModeGuard* GuardFor(const Vendor& vendor, ModemMode mode) {
    for (const Generation* generation : vendor.generations) {
        const ModeGuard* guard = generation->guard;
        if (guard != nullptr && guard->mode == mode) return guard;
    }
    return nullptr;
}

const char* CommandsFor(const Generation& generation, ModemMode mode) {
    return mode == ModemMode::ModemOnly ? generation.modemOnlyCommands
                                        : generation.extraFunctionsCommands;
}
