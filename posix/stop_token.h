// What the POSIX device asks, as its reads and writes wait, whether to give
// up. The owner of a run's stop requests (the command line's stop signals)
// hands one to the open; the device keeps it with the port and knows nothing
// else of where a stop comes from.
#pragma once

namespace comdev {

class StopToken {
public:
    // The descriptor to poll beside the port, readable once a stop may be
    // due; -1 for none. ClearWakeUp() empties it before the wait goes on.
    virtual int WakeUpFd() = 0;
    virtual void ClearWakeUp() = 0;
    // Whether the I/O must give up now.
    virtual bool IoStopped() = 0;
    // How long a wait may last before IoStopped() may change by itself (a
    // grace running out), rounded up; -1 when nothing counts down.
    virtual int ChangesInMs() = 0;
    // Called as the I/O goes on and as its wait wakes, so the owner can tell
    // the user of a request at once.
    virtual void Notice() = 0;

protected:
    ~StopToken() = default;
};

}  // namespace comdev
