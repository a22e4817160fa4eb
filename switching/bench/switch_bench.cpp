// Times whole switch runs against simulator layouts and sets each against
// its floor: the time-outs that must expire plus the simulated modem's
// reply time. Prints one table row per layout.
// Needs the modem simulator (MODEMSIM_CONTROL), like the tests.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_platform.h"
#include "vendors.h"
#include "comport.h"
#include "modemsim_client.h"
#include "simulated_ports.h"
#include "switch_constants.h"
#include "switch_host.h"

namespace {

// What a simulated modem reports after its vendor's modem-only list.
const char* ModemOnlyState(ModemVendor vendor) {
    return vendor == ModemVendor::Zte ? "zcdrun=E" : "u2diag=0";
}

constexpr int kReplySamples = 9;

// Counts nothing, shows nothing: only whether the modem was found.
class QuietHost final : public SwitchHost {
public:
    void ClearLog() override {}
    void AppendLog(const char*) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override {}
    void FinishRun() override {}
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct RunTimes {
    double wallMs;
    double cpuMs;
};

// One whole switch on a worker thread, as the dialog starts and runs it.
bool TimeOneSwitch(const comdev::PortNames* ports, RunTimes* times) {
    QuietHost host;
    const SwitchRequest dialogs{ModemMode::ModemOnly, Language::Russian, false,
                                false,               nullptr,           &kKnownVendors,
                                ports};
    const double cpu0 = ProcessCpuMs();
    const double wall0 = NowMs();
    if (!RunSwitchOnWorker(&host, dialogs)) {
        return false;
    }
    times->wallMs = NowMs() - wall0;
    times->cpuMs = ProcessCpuMs() - cpu0;
    return true;
}

// Times of one exchange (write a command, take in its whole answer).
struct Exchange {
    double replyMs;     // the answer read in one call of exactly its length: the modem's time
    double transactMs;  // the same through ComTransact, one byte per read as the switch does
};

// Medians over several exchanges of the command on an open port.
bool TimeExchange(ComPort* port, const char* command, Exchange* exchange) {
    char answer[kAnswerBufferSize];
    int count = 0;
    std::vector<double> replies, transacts;
    for (int i = 0; i < kReplySamples; ++i) {
        SleepMs(20);  // let the echoed "\n" after the answer arrive, so the purge takes it
        ComPurgeRx(port);
        double start = NowMs();
        if (ComTransact(port, command, kAnswerTerminator, answer, kAnswerSizeGiven, &count,
                        kCommandTimeoutMs, kCommandTimeoutMs) != kComOk) {
            return false;
        }
        transacts.push_back(NowMs() - start);

        SleepMs(20);
        ComPurgeRx(port);
        start = NowMs();
        ComWrite(port, command, static_cast<uint32_t>(std::strlen(command)), kCommandTimeoutMs);
        for (int got = 0; got < count;) {
            const int n =
                ComRead(port, answer + got, static_cast<uint32_t>(count - got), kCommandTimeoutMs);
            if (n <= 0) {
                return false;
            }
            got += n;
        }
        replies.push_back(NowMs() - start);
    }
    *exchange = {Median(replies), Median(transacts)};
    return true;
}

// The exchanges of a run: the probe and each command of the list.
bool TimeExchanges(const BenchLayout& layout, Exchange* total) {
    ModemSim::Instance().Layout(layout.ports);
    // By the name the search gives the modem's port: natively a path.
    ComPort port;
    if (!ComOpenNamed(SimulatedPortName(layout.modemCom).c_str(), &port, nullptr, nullptr)) {
        return false;
    }
    ComSetLine(&port, kBaud);
    *total = {};
    bool timed = true;
    // Only the probe must be answered: a command the stick refuses is left
    // out of the floor.
    const auto add = [&](const char* command) {
        Exchange one{};
        const bool answered = TimeExchange(&port, command, &one);
        timed = timed && (answered || command != kIdentifyCommand);
        total->replyMs += one.replyMs;
        total->transactMs += one.transactMs;
    };
    add(kIdentifyCommand);
    for (const char* command = CommandsFor(*VendorOf(layout.vendor).generations.rows[0], ModemMode::ModemOnly);
         *command != '\0'; command += std::strlen(command) + 1) {
        add(command);
    }
    ComClose(&port);
    return timed;
}

std::string SilentPortsThenZte(int silent) {
    std::string ports;
    for (int n = 1; n <= silent; ++n) {
        ports += "COM" + std::to_string(n) + "=silent ";
    }
    return ports + "COM" + std::to_string(silent + 1) + "=zte";
}

bool MeasureLayout(const BenchLayout& layout) {
    std::vector<double> walls;
    double totalWall = 0;
    double totalCpu = 0;
    for (int i = 0; i < layout.runs; ++i) {
        ModemSim::Instance().Layout(layout.ports);
        RunTimes times{};
        if (!TimeOneSwitch(layout.searchList != nullptr ? layout.searchList() : SimulatedSearchList(),
                           &times) ||
            ModemSim::Instance().State(layout.modemCom) !=
                (layout.endState != nullptr ? layout.endState : ModemOnlyState(layout.vendor))) {
            std::printf("%-44s run %d did not switch the modem\n", layout.name, i + 1);
            return false;
        }
        walls.push_back(times.wallMs);
        totalWall += times.wallMs;
        totalCpu += times.cpuMs;
    }
    Exchange exchanges{};
    if (!TimeExchanges(layout, &exchanges)) {
        std::printf("%-44s the modem's replies could not be timed\n", layout.name);
        return false;
    }
    // The unavoidable part of a run: one read time-out per silent port and
    // the modem's replies to the probe and the commands.
    const double floor =
        layout.silentPorts * static_cast<double>(kProbeTimeoutMs) + exchanges.replyMs;
    const double wall = Median(walls);
    std::printf("%-44s %4d %9.1f %9.2f %8.2f%% %9.1f %+8.1f%% %9.1f\n", layout.name, layout.runs,
                wall, totalCpu / layout.runs, 100.0 * totalCpu / totalWall, floor,
                100.0 * (wall - floor) / floor, exchanges.transactMs);
    return true;
}

}  // namespace

int main() {
    if (!ModemSim::Instance().Available() || !UseSimulatedPorts()) {
        std::fprintf(stderr, "modem simulator not reachable (MODEMSIM_CONTROL, MODEMSIM_PREFIX)\n");
        return 1;
    }
    std::vector<BenchLayout> layouts = {
        {"modem on COM1", "COM1=zte", 1, 1, 0, 40},
        {"modem on COM4, 3 absent before", "COM4=zte", 4, 4, 0, 40},
        {"modem on COM31, 30 silent before", SilentPortsThenZte(30), 31, 31, 30, 3},
        {"^SETPORT stick (e3372) on COM1", "COM1=e3372", 1, 1, 0, 5, ModemVendor::Huawei,
         nullptr, "setport=FF;12,10,16"},
        {"stick refusing AT^U2DIAG=0 on COM1", "COM1=huawei,error-on=AT^U2DIAG=0", 1, 1, 0, 5,
         ModemVendor::Huawei, nullptr, "none"},
    };
    bool allMeasured = PlatformLayouts(&layouts);
    std::printf("%-44s %4s %9s %9s %9s %9s %9s %9s\n", "layout", "runs", "wall ms", "cpu ms",
                "cpu/wall", "floor ms", "over", "bytewise");
    for (const BenchLayout& layout : layouts) {
        allMeasured = MeasureLayout(layout) && allMeasured;
    }
    std::printf(
        "wall: median run; cpu: process CPU per run (mean), cpu/wall over all runs;\n"
        "floor: %u ms per silent port + the modem's reply time for ATI and each command\n"
        "(write, then one read of the answer's exact length; median of %d exchanges each);\n"
        "bytewise: the same exchanges through ComTransact, one byte per read.\n",
        static_cast<unsigned>(kProbeTimeoutMs), kReplySamples);
    return allMeasured ? 0 : 1;
}
