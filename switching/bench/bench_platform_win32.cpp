#include <windows.h>

#include "bench_platform.h"

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessCpuMs() {
    FILETIME creation, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        ULARGE_INTEGER v;
        v.LowPart = t.dwLowDateTime;
        v.HighPart = t.dwHighDateTime;
        return static_cast<double>(v.QuadPart) / 10000.0;  // 100 ns units
    };
    return ms(kernel) + ms(user);
}

void SleepMs(unsigned ms) { Sleep(ms); }

namespace {

struct SwitchCall {
    SwitchHost* host;
    const SwitchRequest* request;
};

DWORD WINAPI RunSwitchEntry(LPVOID param) {
    const SwitchCall* call = static_cast<SwitchCall*>(param);
    RunSwitch(*call->host, *call->request);
    return 0;
}

}  // namespace

bool RunSwitchOnWorker(SwitchHost* host, const SwitchRequest& request) {
    SwitchCall call{host, &request};
    HANDLE worker = CreateThread(nullptr, 0, RunSwitchEntry, &call, 0, nullptr);
    if (worker == nullptr) {
        return false;
    }
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    return true;
}

bool PlatformLayouts(std::vector<BenchLayout>*) { return true; }
