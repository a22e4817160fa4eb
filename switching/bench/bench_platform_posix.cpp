#include <time.h>

#include <thread>

#include "bench_platform.h"

namespace {

double Ms(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

double NowMs() { return Ms(CLOCK_MONOTONIC); }

double ProcessCpuMs() { return Ms(CLOCK_PROCESS_CPUTIME_ID); }

void SleepMs(unsigned ms) {
    const timespec pause{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    nanosleep(&pause, nullptr);
}

bool RunSwitchOnWorker(SwitchHost* host) {
    std::thread worker([host] { SwitchThreadProc(host); });
    worker.join();
    return true;
}
