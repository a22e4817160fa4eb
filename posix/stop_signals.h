// Signals that ask a run to stop (SIGINT, SIGTERM, SIGHUP, SIGQUIT and every
// other one whose default would end the process mid-switch), and how port I/O
// hears of them: through the stop token the run's owner hands to each open.
// A handler only records the signal and writes one byte to a pipe whose read
// end every waiting port read or write polls beside the port, so a wait ends
// at once instead of at its time-out. Only the one StopSignals object reads
// what the handlers record. Nothing is
// released in a handler: the run ends by its normal path, which closes and
// restores each port.
//
// A stop during the search ends the port I/O under way at once. While the
// commands go to a modem, the first signal can be held: the list is finished,
// so the modem is not left half-switched, for at most kHeldStopGraceMs; a
// second one stops the I/O at once. Signals within kRepeatWindowMs of the
// first are the same request (timeout(1) sends its signal to the program and
// then to its process group).
#pragma once

#include <functional>

#include "stop_token.h"

namespace comdev {

constexpr int kRepeatWindowMs = 300;
constexpr int kHeldStopGraceMs = 2000;

class StopSignals final : public StopToken {
public:
    // Installs the handlers: once, before a run, from the main thread. False
    // if the wake-up pipe could not be made: signals are still recorded, and
    // a waiting port then notices them only at its time-out.
    bool Install();

    // The first stop signal received, or 0.
    int Signal() const;
    // How many stop requests were received: 0, 1 or 2 (a repeat within the
    // window is not counted).
    int Count() const;

    // While held, the first signal leaves port I/O alone for the grace time;
    // a second still stops it.
    void HoldFirst(bool hold);
    bool FirstHeld() const { return firstHeld_; }
    // Whether port I/O was refused while the first signal was held: the
    // command list was cut short, by a second signal or at the end of the grace.
    bool HeldCutIo() const { return heldCutIo_; }

    // Called on the main thread by port I/O once for each signal that came,
    // as the I/O goes on or its wait wakes; an empty function for none.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

    // The port I/O's questions: a signal came and is not held, a second one
    // came, or the held one's grace has run out.
    int WakeUpFd() override;
    void ClearWakeUp() override;
    bool IoStopped() override;
    int ChangesInMs() override;
    void Notice() override;

private:
    bool firstHeld_ = false;
    bool heldCutIo_ = false;
    std::function<void()> listener_;
};

}  // namespace comdev
