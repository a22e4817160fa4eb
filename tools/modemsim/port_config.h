// What one simulated COM port is: a personality plus options, parsed from
// "base[,option[=value]]..." and whole layouts "COM3=zte COM4=huawei,...".
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

constexpr int kFirstCom = 1;
// Windows hands every new USB device a COM number of its own, so a modem can
// sit above COM31.
constexpr int kLastCom = 64;

// E3372 and E3131: Huawei sticks whose firmware keeps its USB composition in
// AT^SETPORT (4G and 3G codes) and refuses AT^U2DIAG.
// E3372h: an E3372h-153 in stick firmware, modem code 1 where the E3372 has 10.
enum class Base { Zte, Huawei, E3372, E3372h, E3131, Silent, Error, Chatter, Nul, Locked };

// What the nul personality answers to every command unless told otherwise.
extern const char kDefaultNulReply[];
constexpr std::size_t kDefaultNulReplySize = 19;

// Answers as noisy firmware sends them: unsolicited report lines before the
// answer, a zero byte before its OK, or an answer that trickles without end.
struct NoisyAnswers {
    std::vector<std::string> floodOn;    // commands whose answer follows a flood of report lines
    std::size_t floodLines = 150;        // report lines in each flood
    std::vector<std::string> nulOn;      // commands whose OK follows one zero byte
    std::vector<std::string> dribbleOn;  // commands answered one byte at a time, never OK
    int dribbleMs = 500;                 // between two bytes of a dribble
    std::vector<std::string> strayOkOn;  // commands whose answer a stray OK follows
    int strayMs = 50;                    // after the answer
    std::vector<std::string> lateOn;     // commands answered late
    int lateMs = 1300;                   // after the command
    std::vector<std::string> tooManyOn;  // commands answered TOO MANY PARAMETERS
};

struct PortConfig {
    Base base = Base::Silent;
    std::optional<std::string> ident;  // ATI body; the personality's own when unset
    bool echo = true;
    std::vector<std::string> errorOn;        // commands answered with ERROR
    std::vector<std::string> failOn;         // zte: switch commands refused with result digit 0
    std::vector<std::string> muteOn;         // commands never answered
    std::vector<std::string> unplugOn;       // commands that make the modem vanish
    std::optional<std::size_t> unplugAfter;  // vanish after this many received bytes
    bool goneAfterClose = false;
    int delayMs = 0;
    // The mode the modem is in when laid out (factory state: the CD drive on).
    bool autorun = true;        // zte: what AT+ZCDRUN=4 reports
    long u2diag = 257;          // huawei: what AT^U2DIAG? reports; 118 and 119 are HiLink firmware
    std::string u2diagForm = " #";  // huawei: how it follows "^U2DIAG:", '#' the value
    bool modeOnReplug = false;  // the queries keep reporting the mode it was laid out in
    // e3372, e3131: what AT^SETPORT? reports when laid out; the firmware's
    // factory value when unset. refuseSet: every AT^SETPORT= draws ERROR.
    std::optional<std::string> setport;
    bool refuseSet = false;
    bool setportBlanks = false;  // a blank after each separator of the query's answer
    std::string nulReply = std::string(kDefaultNulReply, kDefaultNulReplySize);
    NoisyAnswers noise;
};

// COM number -> port; numbers not present are absent ports.
using Layout = std::map<int, PortConfig>;

// On failure both return nullopt and put a one-line reason in *error.
std::optional<PortConfig> ParsePortConfig(std::string_view text, std::string* error);
std::optional<Layout> ParseLayout(std::string_view text, std::string* error);

// "COM7" (any case) -> 7 when within kFirstCom..kLastCom.
std::optional<int> ParseComName(std::string_view text);

}  // namespace modemsim
