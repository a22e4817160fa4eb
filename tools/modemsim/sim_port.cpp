#include "sim_port.h"

#include <poll.h>

#include <algorithm>

#include "escape.h"

namespace modemsim {
namespace {

// A 115200 baud line carries about 11.5 KB/s; chatter comes in bursts this far apart.
constexpr std::size_t kChatterBytesPerSecond = 11520;
constexpr auto kChatterTick = std::chrono::milliseconds(5);
// Chatter not yet read beyond this is dropped, as a UART overruns.
constexpr std::size_t kChatterBacklog = 4096;

}  // namespace

SimPort::SimPort(int com, PortConfig config, const DosDevices& devices, Log& log)
    : com_(com),
      modem_(std::move(config)),
      devices_(devices),
      log_(log),
      dribble_(modem_.Config().base) {}

bool SimPort::Start(std::string* error) {
    if (modem_.Config().base == Base::Locked) return devices_.PointBusy(com_, error);
    pty_ = PtyDevice::Create(error);
    if (!pty_) return false;
    Note("on " + pty_->SlavePath());
    return devices_.Point(com_, pty_->SlavePath(), error);
}

void SimPort::CollectPoll(std::vector<PollEntry>& entries) {
    if (!pty_) return;
    entries.push_back({pty_->WatchFd(), POLLIN, [this](short) { OnSlaveEvents(); }});
    if (Serving() && !hangup_) {
        const short events = static_cast<short>(POLLIN | (unsent_.empty() ? 0 : POLLOUT));
        entries.push_back({pty_->MasterFd(), events, [this](short revents) { OnMaster(revents); }});
    }
}

std::optional<Clock::time_point> SimPort::NextDeadline() const {
    if (!Serving()) return std::nullopt;
    std::optional<Clock::time_point> deadline;
    if (!pending_.empty()) deadline = pending_.front().due;
    if (modem_.Config().base == Base::Chatter) {
        const auto tick = chatterLast_ + kChatterTick;
        deadline = deadline ? std::min(*deadline, tick) : tick;
    }
    if (dribbleNext_) deadline = deadline ? std::min(*deadline, *dribbleNext_) : *dribbleNext_;
    return deadline;
}

void SimPort::OnTime(Clock::time_point now) {
    if (!Serving()) return;
    MoveDue(now);
    if (modem_.Config().base == Base::Chatter) ProduceChatter(now);
    ProduceDribble(now);
    Flush();
}

void SimPort::OnSlaveEvents() {
    if (!pty_) return;  // unplugged earlier in this round of the loop
    bool closed = false;
    for (SlaveEvent event : pty_->TakeSlaveEvents()) {
        if (event == SlaveEvent::Opened) {
            ++opens_;
            HandleOpened();
        } else if (openHandles_ > 0 && --openHandles_ == 0) {
            SessionEnded();
            closed = true;
        }
    }
    // Merged events can leave the count wrong; it must at least agree with
    // whether anybody has the slave open.
    const bool slaveOpen = pty_->SlaveOpen();
    if (!slaveOpen && openHandles_ > 0) {
        openHandles_ = 0;
        SessionEnded();
        closed = true;
    } else if (slaveOpen && openHandles_ == 0) {
        HandleOpened();
    }
    // Unread input may already belong to a client that reopened the port, so
    // it is drained here only while nobody has the port open.
    if (closed && openHandles_ == 0) TakeInput();
    if (pty_ && closed && modem_.Config().goneAfterClose) Unplug("gone after close");
}

void SimPort::HandleOpened() {
    hangup_ = false;
    if (openHandles_++ == 0) SessionStarted();
}

int SimPort::Opens() {
    OnSlaveEvents();
    return opens_;
}

int SimPort::HeldHandles() {
    OnSlaveEvents();
    return openHandles_;
}

void SimPort::SessionStarted() {
    chatterStart_ = chatterLast_ = Clock::now();
    chatterSent_ = 0;
    Note("opened (" + std::to_string(opens_) + ")");
    // Unlinked now, while the client still holds the port: it may reopen
    // before the simulator notices the close, and that open must fail.
    std::string error;
    if (modem_.Config().goneAfterClose && !devices_.PointAbsent(com_, &error)) Note(error);
}

// What the modem had not sent yet is lost with the closed port.
void SimPort::SessionEnded() {
    Note("closed");
    pending_.clear();
    unsent_.clear();
    dribbleNext_.reset();
}

void SimPort::OnMaster(short revents) {
    if (!pty_) return;
    if (revents & (POLLIN | POLLHUP | POLLERR)) TakeInput();
    if (pty_ && (revents & POLLOUT)) Flush();
}

void SimPort::TakeInput() {
    PtyDevice::ReadResult input = pty_->ReadAvailable();
    if (input.slaveGone) hangup_ = true;
    if (input.bytes.empty()) return;
    Note("<- " + Printable(input.bytes));
    const Clock::time_point now = Clock::now();
    const Reaction reaction = modem_.Receive(input.bytes);
    if (openHandles_ > 0) Queue(reaction, now);
    if (openHandles_ > 0 && reaction.dribble && !dribbleNext_) {
        dribbleNext_ = now + std::chrono::milliseconds(modem_.Config().noise.dribbleMs);
    }
    if (reaction.unplug) {
        MoveDue(now);
        Flush();
        Unplug("unplugged");
    }
}

void SimPort::Queue(const Reaction& reaction, Clock::time_point now) {
    const auto delay = std::chrono::milliseconds(modem_.Config().delayMs);
    for (const Output& output : reaction.out) {
        Clock::time_point due =
            output.isReply ? now + delay + std::chrono::milliseconds(output.laterMs) : now;
        if (!pending_.empty()) due = std::max(due, pending_.back().due);  // keeps the order
        pending_.push_back({due, output.bytes});
    }
}

void SimPort::MoveDue(Clock::time_point now) {
    while (!pending_.empty() && pending_.front().due <= now) {
        Note("-> " + Printable(pending_.front().bytes));
        unsent_ += pending_.front().bytes;
        pending_.pop_front();
    }
}

void SimPort::ProduceChatter(Clock::time_point now) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - chatterStart_);
    const std::size_t owed =
        static_cast<std::size_t>(elapsed.count()) * kChatterBytesPerSecond / 1000000;
    const std::size_t burst = owed - chatterSent_;
    chatterSent_ = owed;
    chatterLast_ = now;
    if (unsent_.size() < kChatterBacklog) unsent_ += chatter_.Next(burst);
}

// One byte each dribble-ms, after whatever the modem had queued before.
void SimPort::ProduceDribble(Clock::time_point now) {
    const auto interval = std::chrono::milliseconds(modem_.Config().noise.dribbleMs);
    while (dribbleNext_ && *dribbleNext_ <= now && pending_.empty()) {
        unsent_ += dribble_.Next();
        *dribbleNext_ += interval;
    }
}

void SimPort::Flush() {
    if (unsent_.empty()) return;
    unsent_.erase(0, pty_->Write(unsent_));
}

void SimPort::Unplug(const char* why) {
    std::string error;
    if (!devices_.PointAbsent(com_, &error)) Note(error);
    pty_.reset();
    openHandles_ = 0;
    pending_.clear();
    unsent_.clear();
    dribbleNext_.reset();
    Note(why);
}

void SimPort::Note(const std::string& text) {
    log_.Line("COM" + std::to_string(com_) + " " + text);
}

}  // namespace modemsim
