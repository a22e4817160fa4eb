#include "modem.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "setport_stick.h"

namespace modemsim {
namespace {

const char kOk[] = "\r\nOK\r\n";
const char kError[] = "\r\nERROR\r\n";
const char kTooManyParameters[] = "\r\nTOO MANY PARAMETERS\r\n";

// Longest command line kept; a real modem's buffer is small as well.
constexpr std::size_t kMaxLine = 2048;

const char kZteIdent[] =
    "Manufacturer: ZTE CORPORATION\r\nModel: MF627\r\nRevision: BD_MF627V1.0.0B04\r\n"
    "IMEI: 356795020393817\r\n+GCAP: +CGSM,+DS,+ES";
const char kHuaweiIdent[] =
    "Manufacturer: huawei\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\n"
    "IMEI: 353142031254796\r\n+GCAP: +CGSM,+DS,+ES";

const char kZcdrunPrefix[] = "AT+ZCDRUN=";
const char kU2diagPrefix[] = "AT^U2DIAG=";
const char kU2diagQuery[] = "AT^U2DIAG?";
const char kSetportQuery[] = "AT^SETPORT?";
const char kSetportListing[] = "AT^SETPORT=?";
const char kSetportPrefix[] = "AT^SETPORT=";
const char kSetportReset[] = "AT^RESET";
constexpr std::size_t kMaxU2diagDigits = 5;

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool Contains(const std::vector<std::string>& commands, const std::string& command) {
    return std::any_of(commands.begin(), commands.end(),
                       [&](const std::string& c) { return NormalizeCommand(c) == command; });
}

// What ZTE firmware says to AT+ZCDRUN=<mode> before its OK, by mode; the
// result digit follows. 4 asks and changes nothing.
const std::map<char, std::string_view> kZcdrunReports = {
    {'4', "Inquiry autorun open state result(0:NO 1:YES):"},
    {'8', "Close autorun state result(0:FAIL 1:SUCCESS):"},
    {'9', "Open autorun state result(0:FAIL 1:SUCCESS):"},
    {'E', "Close download mode result(0:FAIL 1:SUCCESS):"},
    {'F', "Open download mode result(0:FAIL 1:SUCCESS):"},
};

std::string Report(std::string_view text, const std::string& value) {
    return "\r\n" + std::string(text) + value + "\r\n" + kOk;
}

void Append(Reaction& reaction, std::string bytes, bool isReply, int laterMs = 0) {
    if (bytes.empty()) return;
    if (!reaction.out.empty() && reaction.out.back().isReply == isReply && laterMs == 0 &&
        reaction.out.back().laterMs == 0) {
        reaction.out.back().bytes += bytes;
    } else {
        reaction.out.push_back({std::move(bytes), isReply, laterMs});
    }
}

// A modem echoes each byte as it arrives but takes a moment to answer a
// command, so a burst such as "ATI\r\n" is echoed whole, its "\n" included,
// before the reply goes out.
void EchoBeforeReplies(Reaction& reaction) {
    Reaction ordered;
    for (const Output& output : reaction.out) {
        if (!output.isReply) Append(ordered, output.bytes, false);
    }
    for (const Output& output : reaction.out) {
        if (output.isReply) Append(ordered, output.bytes, true, output.laterMs);
    }
    reaction.out = std::move(ordered.out);
}

}  // namespace

std::string NormalizeCommand(std::string_view command) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!command.empty() && blank(command.front())) command.remove_prefix(1);
    while (!command.empty() && blank(command.back())) command.remove_suffix(1);
    std::string out(command);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

Modem::Modem(PortConfig config)
    : config_(std::move(config)),
      echo_(config_.echo),
      autorun_(config_.autorun),
      u2diag_(config_.u2diag) {
    if (IsSetportStick(config_.base)) {
        setportStored_ = config_.setport.value_or(FirmwareOf(config_.base).factoryValue);
        setportShown_ = setportStored_;
    }
}

Reaction Modem::Receive(std::string_view bytes) {
    Reaction reaction;
    for (char byte : bytes) {
        if (unplugged_) break;
        TakeByte(byte, reaction);
        if (config_.unplugAfter && received_.size() >= *config_.unplugAfter) unplugged_ = true;
    }
    reaction.unplug = unplugged_;
    EchoBeforeReplies(reaction);
    return reaction;
}

void Modem::TakeByte(char byte, Reaction& reaction) {
    received_ += byte;
    if (config_.base == Base::Silent || config_.base == Base::Chatter) return;
    if (echo_) Append(reaction, std::string(1, byte), false);
    if (byte == '\r') {
        TakeLine(reaction);
        line_.clear();
    } else if (byte != '\n' && line_.size() < kMaxLine) {
        line_ += byte;
    }
}

void Modem::TakeLine(Reaction& reaction) {
    const std::string command = NormalizeCommand(line_);
    if (command.empty()) return;
    if (Contains(config_.unplugOn, command)) {
        unplugged_ = true;
        return;
    }
    if (Contains(config_.muteOn, command)) return;
    if (Contains(config_.noise.dribbleOn, command)) {
        reaction.dribble = true;
        return;
    }
    const NoisyAnswers& noise = config_.noise;
    const std::string reply = Contains(config_.errorOn, command)       ? kError
                              : Contains(noise.tooManyOn, command) ? kTooManyParameters
                                                                   : Answer(command);
    const int late = Contains(noise.lateOn, command) ? noise.lateMs : 0;
    Append(reaction, WithNoise(command, reply), true, late);
    if (Contains(noise.strayOkOn, command)) Append(reaction, kOk, true, late + noise.strayMs);
}

// A flood of report lines before the answer, a zero byte before its OK.
std::string Modem::WithNoise(const std::string& command, std::string reply) const {
    const std::string ok = kOk;
    const bool endsInOk =
        reply.size() >= ok.size() && reply.compare(reply.size() - ok.size(), ok.size(), ok) == 0;
    if (endsInOk && Contains(config_.noise.nulOn, command)) {
        reply.insert(reply.size() - ok.size(), 1, '\0');
    }
    if (!Contains(config_.noise.floodOn, command)) return reply;
    std::string flood;
    for (std::size_t i = 0; i < config_.noise.floodLines; ++i) flood += ReportLine(config_.base);
    return flood + reply;
}

std::string Modem::Answer(const std::string& command) {
    switch (config_.base) {
    case Base::Error:
        return kError;
    case Base::Nul:
        return config_.nulReply;
    case Base::Zte:
        return AnswerZte(command);
    case Base::Huawei:
        return AnswerHuawei(command);
    case Base::E3372:
    case Base::E3372h:
    case Base::E3131:
        return AnswerSetportStick(command);
    default:
        return {};
    }
}

// What both talking personalities understand; empty when the command is not one of them.
std::string Modem::AnswerCommon(const std::string& command) {
    if (command == "AT") return kOk;
    if (command == "ATE0" || command == "ATE1") {
        echo_ = command == "ATE1";
        return kOk;
    }
    if (command == "ATI") {
        const std::string own = config_.base == Base::Zte      ? kZteIdent
                                : IsSetportStick(config_.base) ? FirmwareOf(config_.base).ident
                                                               : kHuaweiIdent;
        return "\r\n" + config_.ident.value_or(own) + "\r\n\r\nOK\r\n";
    }
    return {};
}

std::string Modem::AnswerZte(const std::string& command) {
    std::string reply = AnswerCommon(command);
    if (!reply.empty()) return reply;
    if (StartsWith(command, kZcdrunPrefix) && command.size() == sizeof(kZcdrunPrefix) &&
        kZcdrunReports.count(command.back()) != 0) {
        return AnswerZcdrun(command.back());
    }
    return kError;
}

// A refused switch command (fail-on) reports 0 and changes nothing, yet OK
// still follows, as on real sticks.
std::string Modem::AnswerZcdrun(char mode) {
    const std::string_view report = kZcdrunReports.at(mode);
    if (mode == '4') return Report(report, autorun_ ? "1" : "0");
    if (Contains(config_.failOn, kZcdrunPrefix + std::string(1, mode))) return Report(report, "0");
    state_ = std::string("zcdrun=") + mode;
    if ((mode == '8' || mode == '9') && !config_.modeOnReplug) autorun_ = mode == '9';
    return Report(report, "1");
}

std::string Modem::AnswerHuawei(const std::string& command) {
    std::string reply = AnswerCommon(command);
    if (!reply.empty()) return reply;
    if (command == kU2diagQuery) {
        std::string shown = config_.u2diagForm;
        shown.replace(shown.find('#'), 1, std::to_string(u2diag_));
        return Report("^U2DIAG:", shown);
    }
    const std::string digits = command.substr(std::min(command.size(), sizeof(kU2diagPrefix) - 1));
    const bool isNumber = !digits.empty() && digits.size() <= kMaxU2diagDigits &&
                          std::all_of(digits.begin(), digits.end(), [](char c) {
                              return std::isdigit(static_cast<unsigned char>(c));
                          });
    if (StartsWith(command, kU2diagPrefix) && isNumber) {
        const long value = std::stol(digits);
        state_ = "u2diag=" + std::to_string(value);
        if (!config_.modeOnReplug) u2diag_ = value;
        return kOk;
    }
    return kError;
}

// ZTE firmware repeats its SIM report until AT+CPMS? is sent; Huawei's
// reports the signal strength.
std::string ReportLine(Base base) {
    return base == Base::Zte ? "\r\n+ZUSIMR:2\r\n" : "\r\n^RSSI:12\r\n";
}

char DribbleSource::Next() {
    const char byte = line_[offset_];
    offset_ = (offset_ + 1) % line_.size();
    return byte;
}

// Firmware without AT^U2DIAG: its composition is AT^SETPORT's, and a new
// value shows after AT^RESET (or a re-plug) with mode-on-replug.
std::string Modem::AnswerSetportStick(const std::string& command) {
    std::string reply = AnswerCommon(command);
    if (!reply.empty()) return reply;
    if (command == kSetportQuery) return Report("^SETPORT:", SetportAsShown());
    if (command == kSetportListing) {
        return "\r\n" + std::string(FirmwareOf(config_.base).listing) + kOk;
    }
    if (command == kSetportReset) {
        setportShown_ = setportStored_;
        return kOk;
    }
    if (StartsWith(command, kSetportPrefix)) {
        return AnswerSetportSet(command.substr(sizeof(kSetportPrefix) - 1));
    }
    return kError;
}

// Some firmware puts a blank after each separator: "A1,A2; 12,1,16, A1, A2".
std::string Modem::SetportAsShown() const {
    if (!config_.setportBlanks) return setportShown_;
    std::string shown;
    for (char c : setportShown_) {
        shown += c;
        if (c == ',' || c == ';') shown += ' ';
    }
    return shown;
}

// The value comes in quotes, as the vendor's documents write it, or without.
std::string Modem::AnswerSetportSet(const std::string& quoted) {
    std::string value = quoted;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    if (config_.refuseSet || !SetportAccepts(value, setportStored_, FirmwareOf(config_.base))) {
        return kError;
    }
    state_ = "setport=" + value;
    setportStored_ = value;
    if (!config_.modeOnReplug) setportShown_ = value;
    return kOk;
}

std::string ChatterSource::Next(std::size_t count) {
    // Unsolicited reports a real modem sends while it registers and measures the signal.
    static const char* const kLines[] = {
        "\r\n^RSSI:17\r\n",
        "\r\n^BOOT:25468135,0,0,0,72\r\n",
        "\r\n+CREG: 1,\"0A3C\",\"4F21\"\r\n",
        "\r\n^MODE:5,4\r\n",
        "\r\n^DSFLOWRPT:0000003C,00000000,00000000,0000000000000000,0000000000000000\r\n",
        "\r\n+CSQ: 17,99\r\n",
    };
    constexpr std::size_t kLineCount = sizeof(kLines) / sizeof(kLines[0]);
    std::string out;
    out.reserve(count);
    while (out.size() < count) {
        const std::string_view line = kLines[line_];
        const std::size_t take = std::min(count - out.size(), line.size() - offset_);
        out.append(line.substr(offset_, take));
        offset_ += take;
        if (offset_ == line.size()) {
            offset_ = 0;
            line_ = (line_ + 1) % kLineCount;
        }
    }
    return out;
}

}  // namespace modemsim
