#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "bench_platform.h"
#include "fake_sysfs.h"
#include "port_paths.h"
#include "usb_ports.h"
#include "vendors.h"

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

bool RunSwitchOnWorker(SwitchHost* host, const SwitchRequest& request) {
    std::thread worker([host, &request] { RunSwitch(*host, request); });
    worker.join();
    return true;
}

// --- A stick whose AT port sysfs names ---------------------------------------

namespace {

// A Huawei stick's three ports (the data modem, the diagnostics port and the
// PC UI port: only the last answers AT), numbered after 28 silent ports of
// other devices, so that /dev's order tries them last and the PC UI port
// last of all.
constexpr int kOtherPorts = 28;
constexpr int kAllPorts = kOtherPorts + 3;
constexpr char kStick[] =
    "device 1-2 12d1 1436 HUAWEI Mobile\n"
    "interface 00 ff ff ff option ttyUSB28\n"
    "interface 03 ff ff ff option ttyUSB29 HUAWEI Mobile Connect - Application Interface\n"
    "interface 04 ff ff ff option ttyUSB30 HUAWEI Mobile Connect - PC UI Interface\n";

// The fake /sys and /dev of that machine, removed when the benchmark ends.
struct FakeMachine {
    std::string root;
    std::string Sysfs() const { return root + "/sys"; }
    std::string Dev() const { return root + "/dev"; }
    ~FakeMachine() {
        if (!root.empty()) std::filesystem::remove_all(root);
    }
};

FakeMachine& Machine() {
    static FakeMachine machine;
    return machine;
}

const comdev::ModemUsbIds& KnownIds() {
    static const comdev::ModemUsbIds known{{kHuaweiVendor.usbVendor, kZteVendor.usbVendor},
                                           kHuaweiVendor.usbVendor};
    return known;
}

const comdev::PortNames* ListOf(const std::vector<comdev::PortCandidate>& candidates) {
    static comdev::PortNames names;
    names = comdev::PortNames{};
    for (const comdev::PortCandidate& candidate : candidates) names.Add(candidate.path.c_str());
    return &names;
}

const comdev::PortNames* DevOrder() {
    return ListOf(comdev::ReadCandidates(comdev::ScanPortPaths(Machine().Dev()), Machine().Sysfs()));
}

const comdev::PortNames* SysfsOrder() {
    return ListOf(comdev::OrderedByRank(
        comdev::ReadCandidates(comdev::ScanPortPaths(Machine().Dev()), Machine().Sysfs()),
        KnownIds()));
}

// /dev/ttyUSBn leads to the simulator's COM<n+1>.
bool MakeMachine(std::string* error) {
    const char* prefix = std::getenv("MODEMSIM_PREFIX");
    char dir[] = "/tmp/switch-bench.XXXXXX";
    if (prefix == nullptr || mkdtemp(dir) == nullptr) {
        *error = "no MODEMSIM_PREFIX, or no temporary directory";
        return false;
    }
    Machine().root = dir;
    if (!BuildFakeSysfs(kStick, Machine().Sysfs(), error)) return false;
    std::filesystem::create_directories(Machine().Dev());
    for (int n = 0; n < kAllPorts; ++n) {
        std::filesystem::create_symlink(
            std::string(prefix) + "/dosdevices/com" + std::to_string(n + 1),
            Machine().Dev() + "/ttyUSB" + std::to_string(n));
    }
    return true;
}

}  // namespace

// Run after the common layouts: they change the port list those rely on.
bool PlatformLayouts(std::vector<BenchLayout>* layouts) {
    std::string error;
    if (!MakeMachine(&error)) {
        std::printf("the sysfs layouts could not be set up: %s\n", error.c_str());
        return false;
    }
    std::string ports;
    for (int com = 1; com < kAllPorts; ++com) ports += "COM" + std::to_string(com) + "=silent ";
    ports += "COM" + std::to_string(kAllPorts) + "=huawei";
    layouts->push_back({"AT port behind 30 silent, /dev order", ports, kAllPorts, kAllPorts,
                        kAllPorts - 1, 3, ModemVendor::Huawei, DevOrder});
    layouts->push_back({"AT port behind 30 silent, sysfs order", ports, kAllPorts, 1, 0, 40,
                        ModemVendor::Huawei, SysfsOrder});
    return true;
}
