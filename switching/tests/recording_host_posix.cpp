// The worker threads of a recorded run.
#include <thread>

#include "recording_host.h"

bool RunThread(void (*entry)(void*), void* param) {
    std::thread worker(entry, param);
    worker.join();
    return true;
}
