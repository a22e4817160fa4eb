// Times whole switch runs against simulator layouts and sets each against
// its floor: the time-outs that must expire plus the simulated modem's
// reply time. Prints one table row per layout.
// Needs the modem simulator (MODEMSIM_CONTROL), like the tests.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command_lists.h"
#include "comport.h"
#include "modemsim_client.h"
#include "switch_constants.h"
#include "switch_host.h"

namespace {

// What the simulated ZTE modem reports after the modem-only list.
const char kZteModemOnlyState[] = "zcdrun=E";

constexpr int kReplySamples = 9;

struct BenchLayout {
    const char* name;
    std::string specs;
    int modemNumber;
    int silentPorts;  // ports before the modem that open but never answer
    int runs;
};

// Counts nothing, shows nothing: only whether the modem was found.
class QuietHost final : public SwitchHost {
public:
    int Mode() const override { return ModemOnly; }
    void ClearLog() override {}
    void AppendLog(const char*) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override {}
    void FinishRun() override {}
};

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

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct RunTimes {
    double wallMs;
    double cpuMs;
};

// One whole switch on a worker thread, as the dialog starts it.
bool TimeOneSwitch(RunTimes* times) {
    QuietHost host;
    const double cpu0 = ProcessCpuMs();
    const double wall0 = NowMs();
    HANDLE worker = CreateThread(nullptr, 0, SwitchThreadProc, &host, 0, nullptr);
    if (worker == nullptr) {
        return false;
    }
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    times->wallMs = NowMs() - wall0;
    times->cpuMs = ProcessCpuMs() - cpu0;
    return true;
}

// The time from a command's write until the modem's whole answer is in,
// read in one call of exactly the answer's length so that our own
// byte-by-byte reading does not count. Median of several exchanges.
double ReplyTimeMs(ComPort* port, const char* command) {
    char answer[kAnswerBufferSize];
    int count = 0;
    ComPurgeRx(port);
    if (ComTransact(port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                    kCommandTimeoutMs, kCommandTimeoutMs) != kComOk) {
        return -1.0;
    }
    std::vector<double> samples;
    for (int i = 0; i < kReplySamples; ++i) {
        Sleep(20);  // let a trailing echo arrive before the purge
        ComPurgeRx(port);
        const double start = NowMs();
        ComWrite(port, command, static_cast<uint32_t>(std::strlen(command)), kCommandTimeoutMs);
        for (int got = 0; got < count;) {
            const int n = ComRead(port, answer + got, static_cast<uint32_t>(count - got),
                                  kCommandTimeoutMs);
            if (n <= 0) {
                return -1.0;
            }
            got += n;
        }
        samples.push_back(NowMs() - start);
    }
    return Median(samples);
}

// The unavoidable part of a run: one read time-out per silent port, and the
// modem's replies to the probe and to each command.
double FloorMs(const BenchLayout& layout) {
    ModemSim::Instance().Layout(layout.specs);
    ComPort port;
    if (!ComOpen(layout.modemNumber, &port)) {
        return -1.0;
    }
    ComSetLine(&port, kBaud);
    double replies = ReplyTimeMs(&port, kIdentifyCommand);
    for (const char* command = CommandListFor(ModemVendor::Zte, ModemOnly); *command != '\0';
         command += std::strlen(command) + 1) {
        replies += ReplyTimeMs(&port, command);
    }
    ComClose(&port);
    return layout.silentPorts * static_cast<double>(kProbeTimeoutMs) + replies;
}

std::string SilentPortsThenZte(int silent) {
    std::string specs;
    for (int n = 1; n <= silent; ++n) {
        specs += "COM" + std::to_string(n) + "=silent ";
    }
    return specs + "COM" + std::to_string(silent + 1) + "=zte";
}

bool MeasureLayout(const BenchLayout& layout) {
    std::vector<double> walls, cpus;
    for (int i = 0; i < layout.runs; ++i) {
        ModemSim::Instance().Layout(layout.specs);
        RunTimes times{};
        if (!TimeOneSwitch(&times) ||
            ModemSim::Instance().State(layout.modemNumber) != kZteModemOnlyState) {
            std::printf("%-34s run %d did not switch the modem\n", layout.name, i + 1);
            return false;
        }
        walls.push_back(times.wallMs);
        cpus.push_back(times.cpuMs);
    }
    const double wall = Median(walls);
    const double cpu = Median(cpus);
    const double floor = FloorMs(layout);
    std::printf("%-34s %4d %10.1f %9.1f %10.1f %+9.1f%% %8.2f%%\n", layout.name, layout.runs,
                wall, cpu, floor, 100.0 * (wall - floor) / floor, 100.0 * cpu / wall);
    return floor > 0;
}

}  // namespace

int main() {
    if (!ModemSim::Instance().Available()) {
        std::fprintf(stderr, "modem simulator not reachable (MODEMSIM_CONTROL)\n");
        return 1;
    }
    const BenchLayout layouts[] = {
        {"modem on COM1", "COM1=zte", 1, 0, 7},
        {"modem on COM4, 3 absent before", "COM4=zte", 4, 0, 7},
        {"modem on COM31, 30 silent before", SilentPortsThenZte(30), 31, 30, 3},
    };
    std::printf("%-34s %4s %10s %9s %10s %10s %9s\n", "layout", "runs", "wall ms", "cpu ms",
                "floor ms", "over", "cpu/wall");
    bool allMeasured = true;
    for (const BenchLayout& layout : layouts) {
        allMeasured = MeasureLayout(layout) && allMeasured;
    }
    std::printf("wall and cpu: medians over the runs; floor: %u ms per silent port plus the "
                "measured reply time of ATI and each command (median of %d exchanges)\n",
                static_cast<unsigned>(kProbeTimeoutMs), kReplySamples);
    return allMeasured ? 0 : 1;
}
