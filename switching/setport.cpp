#include "setport.h"

#include <cstring>

#include "switch_texts.h"

namespace {

const char kMarker[] = "^SETPORT:";
const char kSetCommand[] = "AT^SETPORT=\"";
const char kSetCommandEnd[] = "\"\r\n";
const char kCdDrive[] = "A1";
const char kSdCard[] = "A2";
const char kNoFirstStage[] = "FF";
// The PC UI port, where AT commands go: 3G firmware, 4G firmware.
constexpr const char* kPcUiCodes[] = {"2", "12"};

// Longer values are not read: no stick has that many ports.
constexpr std::size_t kMaxValueLength = 60;
constexpr int kMaxCodes = 16;
// A value read holds fewer, so that A1 and A2 always fit beside its codes.
constexpr int kMaxCodesRead = kMaxCodes - 2;

// The C runtime calls the program may import are few (tools/pecheck keeps
// the list): these stand in for strcmp and strcspn, and ReadValue finds
// its separator itself, not by strchr.
bool Same(const char* a, const char* b) { return std::strncmp(a, b, std::strlen(a) + 1) == 0; }

std::size_t LineLength(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0' && text[length] != '\r' && text[length] != '\n') ++length;
    return length;
}

struct Code {
    char text[3];  // one or two hex digits, upper case
};

struct PortList {
    int count = 0;
    Code codes[kMaxCodes];

    bool Has(const char* code) const {
        for (int i = 0; i < count; ++i) {
            if (Same(codes[i].text, code)) return true;
        }
        return false;
    }
    void Add(const char* code) {
        std::memcpy(codes[count].text, code, std::strlen(code) + 1);
        ++count;
    }
};

// A value: what the stick shows when plugged in; the set it works with.
struct SetportValue {
    PortList first;
    PortList working;
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// The list in [from, to): empty, or codes separated by commas, blanks
// around each allowed ("A1,A2; 12,1,16, A1, A2", as some firmware prints it).
bool ReadList(const char* from, const char* to, PortList* list) {
    list->count = 0;
    while (from < to && *from == ' ') ++from;
    if (from == to) return true;
    for (const char* at = from;; ++at) {
        while (*at == ' ') ++at;
        const char* end = at;
        while (end < to && *end != ',') ++end;
        const char* last = end;
        while (last > at && last[-1] == ' ') --last;
        const std::size_t length = static_cast<std::size_t>(last - at);
        if (length < 1 || length > 2 || list->count == kMaxCodesRead) return false;
        Code code{};
        for (std::size_t i = 0; i < length; ++i) {
            if (!IsHexDigit(at[i])) return false;
            code.text[i] = at[i];
        }
        list->Add(code.text);
        if (end == to) return true;
        at = end;
    }
}

// The value of the query's answer as the modem sent it, in upper case,
// without the blanks around it; false when the answer holds none.
bool ValueText(const char* answer, char (&text)[kMaxValueLength + 1]) {
    const char* marker = std::strstr(answer, kMarker);
    if (marker == nullptr) return false;
    const char* from = marker + std::strlen(kMarker);
    while (*from == ' ') ++from;
    std::size_t length = LineLength(from);
    while (length > 0 && from[length - 1] == ' ') --length;
    if (length == 0 || length > kMaxValueLength) return false;
    for (std::size_t i = 0; i < length; ++i) text[i] = Upper(from[i]);
    text[length] = '\0';
    return true;
}

bool ReadValue(const char* text, SetportValue* value) {
    const char* separator = nullptr;
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at != ';') continue;
        if (separator != nullptr) return false;  // one separator only
        separator = at;
    }
    if (separator == nullptr) return false;
    return ReadList(text, separator, &value->first) &&
           ReadList(separator + 1, text + std::strlen(text), &value->working);
}

// A value written out as the firmware takes it, zero-terminated.
class ValueWriter {
public:
    explicit ValueWriter(char (&out)[kComposedSize]) : out_(out) { out_[0] = '\0'; }
    void Append(const char* text) {
        while (*text != '\0' && length_ + 1 < kComposedSize) out_[length_++] = *text++;
        out_[length_] = '\0';
    }
    void AppendList(const PortList& list) {
        for (int i = 0; i < list.count; ++i) {
            if (i > 0) Append(",");
            Append(list.codes[i].text);
        }
    }
    void AppendValue(const SetportValue& value) {
        AppendList(value.first);
        Append(";");
        AppendList(value.working);
    }

private:
    char (&out_)[kComposedSize];
    std::size_t length_ = 0;
};

// What mode makes of value: only A1 and A2 move, every other code keeps its
// place. withSd: the stick has an SD card (A2) to show.
SetportValue ValueFor(const SetportValue& value, ModemMode mode, bool withSd) {
    SetportValue wanted;
    for (int i = 0; i < value.working.count; ++i) {
        const char* code = value.working.codes[i].text;
        if (!Same(code, kCdDrive) && !Same(code, kSdCard)) {
            wanted.working.Add(code);
        }
    }
    if (mode == ModemMode::ModemOnly) {
        wanted.first.Add(kNoFirstStage);
        return wanted;
    }
    wanted.first.Add(kCdDrive);
    if (withSd) wanted.first.Add(kSdCard);
    if (wanted.working.count == 0) return wanted;  // refused as empty
    for (int i = 0; i < wanted.first.count; ++i) wanted.working.Add(wanted.first.codes[i].text);
    return wanted;
}

bool SameValue(const SetportValue& a, const SetportValue& b) {
    char textA[kComposedSize];
    char textB[kComposedSize];
    ValueWriter(textA).AppendValue(a);
    ValueWriter(textB).AppendValue(b);
    return Same(textA, textB);
}

bool HasPcUi(const PortList& list) {
    for (const char* code : kPcUiCodes) {
        if (list.Has(code)) return true;
    }
    return false;
}

// Whether the listing query's answer has a line "^SETPORT:<code>: ...".
bool Lists(const char* listing, const char* code) {
    const std::size_t codeLength = std::strlen(code);
    for (const char* at = std::strstr(listing, kMarker); at != nullptr;
         at = std::strstr(at + 1, kMarker)) {
        const char* entry = at + std::strlen(kMarker);
        while (*entry == ' ') ++entry;
        bool same = true;
        for (std::size_t i = 0; i < codeLength && same; ++i) same = Upper(entry[i]) == code[i];
        if (same && entry[codeLength] == ':') return true;
    }
    return false;
}

bool ShowsSd(const SetportValue& value) {
    return value.first.Has(kSdCard) || value.working.Has(kSdCard);
}

void Refuse(ComposedCommands* composed, const Text& why) {
    composed->result = ComposedCommands::Result::Refused;
    composed->refusal = &why;
}

// The set command of value as a one-command list.
void WriteSet(const SetportValue& value, char (&out)[kComposedSize]) {
    ValueWriter writer(out);
    writer.Append(kSetCommand);
    writer.AppendValue(value);
    writer.Append(kSetCommandEnd);
    const std::size_t length = std::strlen(out);
    if (length + 1 < kComposedSize) out[length + 1] = '\0';  // the list's closing empty string
}

}  // namespace

void ComposeSetport(const char* const* answers, int answerCount, ModemMode mode,
                    ComposedCommands* composed) {
    *composed = {ComposedCommands::Result::Refused, nullptr, {}, {}, {}};
    char text[kMaxValueLength + 1];
    SetportValue value;
    if (answerCount < 1 || !ValueText(answers[0], text) || !ReadValue(text, &value)) {
        return Refuse(composed, kTextSetportUnreadable);
    }
    const bool withSd = ShowsSd(value) || (answerCount > 1 && Lists(answers[1], kSdCard));
    const SetportValue wanted = ValueFor(value, mode, withSd);
    // The one check every command passes: none ever leaves the PC UI port out.
    if (wanted.working.count == 0) return Refuse(composed, kTextSetportEmpty);
    if (!HasPcUi(wanted.working)) return Refuse(composed, kTextSetportNoPcUi);
    if (SameValue(wanted, value)) {
        composed->result = ComposedCommands::Result::AlreadySet;
        return;
    }
    composed->result = ComposedCommands::Result::Send;
    WriteSet(wanted, composed->commands);
    ValueWriter(composed->before).AppendValue(value);
    // The firmware takes no empty first part; FF means the same.
    SetportValue restore = value;
    if (restore.first.count == 0) restore.first.Add(kNoFirstStage);
    WriteSet(restore, composed->restore);
    composed->restore[LineLength(composed->restore)] = '\0';
}

bool ParseSetportMode(const char* answer, ModeReport* report) {
    char text[kMaxValueLength + 1];
    const char* marker = std::strstr(answer, kMarker);
    if (marker == nullptr) return false;
    const char* from = marker + std::strlen(kMarker);
    while (*from == ' ') ++from;
    if (*from == '\0' || *from == '\r' || *from == '\n') return false;
    SetRaw(report, kMarker, from);
    report->mode = ReportedMode::Unknown;
    report->value = -1;  // a composition, no number
    SetportValue value;
    if (!ValueText(answer, text) || !ReadValue(text, &value)) return true;
    for (ModemMode mode : {ModemMode::ModemOnly, ModemMode::ExtraFunctions}) {
        if (SameValue(ValueFor(value, mode, ShowsSd(value)), value)) {
            report->mode = mode == ModemMode::ModemOnly ? ReportedMode::ModemOnly
                                                        : ReportedMode::ExtraFunctions;
        }
    }
    return true;
}
