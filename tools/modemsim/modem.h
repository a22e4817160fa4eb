// The modem behind one port as pure logic: received bytes in, bytes to send
// out, no I/O. The port layer decides when the output reaches the wire.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "port_config.h"

namespace modemsim {

struct Output {
    std::string bytes;
    bool isReply;     // replies wait for delay-ms; echo goes out at once
    int laterMs = 0;  // a reply's further wait: a late answer, a stray OK
};

struct Reaction {
    std::vector<Output> out;  // in the order a real modem would send it
    bool unplug = false;      // the modem vanishes; bytes after that are ignored
    bool dribble = false;     // from now on the modem trickles bytes without end (dribble-on)
};

class Modem {
public:
    explicit Modem(PortConfig config);

    Reaction Receive(std::string_view bytes);

    // Every byte taken in so far (none after an unplug).
    const std::string& Received() const { return received_; }
    // The last switch command the modem carried out: "zcdrun=8",
    // "u2diag=257", "setport=FF;12,10,16" or "none" (queries and refused
    // commands leave it).
    const std::string& State() const { return state_; }
    const PortConfig& Config() const { return config_; }

private:
    void TakeByte(char byte, Reaction& reaction);
    void TakeLine(Reaction& reaction);
    std::string Answer(const std::string& command);
    std::string AnswerCommon(const std::string& command);
    std::string AnswerZte(const std::string& command);
    std::string AnswerHuawei(const std::string& command);
    std::string AnswerZcdrun(char mode);
    std::string WithNoise(const std::string& command, std::string reply) const;
    std::string AnswerSetportStick(const std::string& command);
    std::string AnswerSetportSet(const std::string& value);
    std::string SetportAsShown() const;

    PortConfig config_;
    bool echo_;
    bool unplugged_ = false;
    std::string line_;
    std::string received_;
    std::string state_ = "none";
    bool autorun_;  // zte: what the mode query reports
    long u2diag_;   // huawei: what the mode query reports
    // e3372, e3131: the value set last, and what AT^SETPORT? reports (the
    // same, or with mode-on-replug the one laid out until AT^RESET).
    std::string setportStored_;
    std::string setportShown_;
};

// The endless text a chatter modem streams: whole lines, never an "OK".
class ChatterSource {
public:
    // The next `count` bytes of the stream.
    std::string Next(std::size_t count);

private:
    std::size_t line_ = 0;
    std::size_t offset_ = 0;  // into the current line
};

// One unsolicited report line of the personality's firmware, "\r\n"-framed:
// what floods and dribbles are made of.
std::string ReportLine(Base base);

// The endless bytes of a dribbling answer, one at a time; never an "OK".
class DribbleSource {
public:
    explicit DribbleSource(Base base) : line_(ReportLine(base)) {}
    char Next();

private:
    std::string line_;
    std::size_t offset_ = 0;
};

// Upper-case, without surrounding blanks or line feeds: how commands compare.
std::string NormalizeCommand(std::string_view command);

}  // namespace modemsim
