// What each part of the simulator hands the single poll() loop: a descriptor,
// the events wanted, and what to do when they arrive.
#pragma once

#include <chrono>
#include <functional>

namespace modemsim {

using Clock = std::chrono::steady_clock;

struct PollEntry {
    int fd;
    short events;
    std::function<void(short revents)> ready;
};

}  // namespace modemsim
