// The worker thread of a recorded run, through the same thread entry the
// dialog uses on Windows.
#include <thread>

#include "recording_host.h"

unsigned long RecordingHost::RunOnWorker() {
    unsigned long exitCode = 0;
    std::thread worker([this, &exitCode] { exitCode = SwitchThreadProc(this); });
    worker.join();
    return exitCode;
}
