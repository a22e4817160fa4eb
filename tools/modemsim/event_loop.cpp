#include "event_loop.h"

#include <poll.h>

#include <vector>

namespace modemsim {
namespace {

constexpr auto kForever = std::chrono::milliseconds(-1);

// Rounded up, so a round never wakes before the deadline and spins.
int TimeoutMs(std::optional<Clock::time_point> deadline, std::chrono::milliseconds limit) {
    if (!deadline) return static_cast<int>(limit.count());
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
    const auto bounded = limit < std::chrono::milliseconds(0) ? wait : std::min(wait, limit);
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, bounded.count()));
}

}  // namespace

bool EventLoop::RunOnce(std::chrono::milliseconds limit) {
    std::vector<PollEntry> entries;
    if (stopFd_ >= 0) entries.push_back({stopFd_, POLLIN, [this](short) { quit_ = true; }});
    simulator_.CollectPoll(entries);
    // Control last: a new layout destroys ports whose entries come before it.
    if (control_ != nullptr) control_->CollectPoll(entries);

    std::vector<pollfd> fds;
    for (const PollEntry& entry : entries) fds.push_back({entry.fd, entry.events, 0});
    const int ready = poll(fds.data(), fds.size(), TimeoutMs(simulator_.NextDeadline(), limit));
    for (std::size_t i = 0; ready > 0 && i < fds.size(); ++i) {
        if (fds[i].revents != 0) entries[i].ready(fds[i].revents);
    }
    if (control_ != nullptr) control_->Sweep();
    simulator_.OnTime(Clock::now());
    return !quit_;
}

void EventLoop::RunUntilQuit() {
    while (RunOnce(kForever)) {
    }
}

}  // namespace modemsim
