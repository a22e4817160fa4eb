// The simulator's single thread: one poll() over every pty, watch, control
// socket and the stop signal, sleeping until the next reply or chatter is due.
#pragma once

#include <chrono>

#include "control.h"
#include "simulator.h"

namespace modemsim {

class EventLoop {
public:
    // control may be null; stopFd (-1 for none) ends the loop once readable.
    EventLoop(Simulator& simulator, ControlServer* control, int stopFd, bool& quit)
        : simulator_(simulator), control_(control), stopFd_(stopFd), quit_(quit) {}

    // One round, waiting at most `limit`. False once quit was asked for.
    bool RunOnce(std::chrono::milliseconds limit);
    void RunUntilQuit();

private:
    Simulator& simulator_;
    ControlServer* control_;
    int stopFd_;
    bool& quit_;
};

}  // namespace modemsim
