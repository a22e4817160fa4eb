// One COM port of the layout: the modem logic wired to its pty, with the
// timing a wire adds (reply delay, chatter pacing, writes the client has not
// read yet) and the port vanishing on unplug.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dos_devices.h"
#include "log.h"
#include "modem.h"
#include "poll_entry.h"
#include "pty_device.h"

namespace modemsim {

class SimPort {
public:
    SimPort(int com, PortConfig config, const DosDevices& devices, Log& log);

    // Creates the pty (none for a locked port) and points the link.
    bool Start(std::string* error);

    void CollectPoll(std::vector<PollEntry>& entries);
    std::optional<Clock::time_point> NextDeadline() const;
    // Sends whatever has become due by `now`.
    void OnTime(Clock::time_point now);

    const Modem& GetModem() const { return modem_; }
    // Both count what the client did before asking, also what the event loop
    // has not served yet: the client's opens of the port so far, and its
    // handles open on it right now (0 once it closed everything).
    int Opens();
    int HeldHandles();
    // False for a locked port and once the modem has been unplugged.
    bool Present() const { return pty_ != nullptr; }

private:
    struct Pending {
        Clock::time_point due;
        std::string bytes;
    };

    bool Serving() const { return pty_ && openHandles_ > 0; }
    void OnSlaveEvents();
    void HandleOpened();
    void SessionStarted();
    void SessionEnded();
    void OnMaster(short revents);
    void TakeInput();
    void Queue(const Reaction& reaction, Clock::time_point now);
    void MoveDue(Clock::time_point now);
    void ProduceChatter(Clock::time_point now);
    void ProduceDribble(Clock::time_point now);
    void Flush();
    void Unplug(const char* why);
    void Note(const std::string& text);

    const int com_;
    Modem modem_;
    const DosDevices& devices_;
    Log& log_;
    std::unique_ptr<PtyDevice> pty_;
    int openHandles_ = 0;  // client handles on the slave now
    int opens_ = 0;        // client opens of the slave, overlapping ones included
    bool hangup_ = false;  // master reported no slave: stop polling it until the next open
    std::deque<Pending> pending_;
    std::string unsent_;  // due, but the pty had no room yet
    ChatterSource chatter_;
    Clock::time_point chatterStart_;
    Clock::time_point chatterLast_;
    std::size_t chatterSent_ = 0;
    DribbleSource dribble_;
    std::optional<Clock::time_point> dribbleNext_;  // while an answer dribbles
};

}  // namespace modemsim
