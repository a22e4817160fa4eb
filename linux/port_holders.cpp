#include "port_holders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "small_files.h"

namespace {

// Bounds the walk over /proc: processes, and descriptors of each.
constexpr std::size_t kMaxProcesses = 65536;
constexpr std::size_t kMaxDescriptors = 4096;

// The PID of a /proc entry, or 0.
pid_t PidOfName(const char* name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return 0;
    char* end = nullptr;
    const long pid = std::strtol(name, &end, 10);
    return *end == '\0' && pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// Enough of /proc/PID/status to reach its Uid line.
constexpr std::size_t kStatusBytes = 4096;

// The real and the effective user of the process are root.
bool RunsAsRoot(const std::string& processDir) {
    std::string status;
    if (!comdev::ReadSmallFile(processDir + "/status", kStatusBytes, &status)) return false;
    const std::size_t line = status.find("\nUid:");
    unsigned long real = 1, effective = 1;
    return line != std::string::npos &&
           std::sscanf(status.c_str() + line, "\nUid:%lu%lu", &real, &effective) == 2 &&
           real == 0 && effective == 0;
}

// The program it runs is a file root owns under /usr, where no other user
// can put one.
bool RunsSystemProgram(const std::string& processDir) {
    const std::string exe = processDir + "/exe";
    char target[PATH_MAX];
    const ssize_t length = readlink(exe.c_str(), target, sizeof target - 1);
    struct stat program {};
    return length > 5 && std::strncmp(target, "/usr/", 5) == 0 && stat(exe.c_str(), &program) == 0 &&
           S_ISREG(program.st_mode) && program.st_uid == 0;
}

PortHolder Named(const std::string& procDir, pid_t pid) {
    const std::string processDir = procDir + "/" + std::to_string(pid);
    PortHolder holder{pid, comdev::ReadLine(processDir + "/comm")};
    holder.modemManager = holder.name == kModemManagerName && RunsAsRoot(processDir) &&
                          RunsSystemProgram(processDir);
    return holder;
}

bool HasOpen(const std::string& fdDir, const std::string& device) {
    bool found = false;  // a process gone, or not ours to look at, has none
    comdev::ForEachEntry(fdDir, kMaxDescriptors, [&](const std::string& name) {
        char target[PATH_MAX];
        const ssize_t length = readlink((fdDir + "/" + name).c_str(), target, sizeof target - 1);
        found = length > 0 &&
                device.compare(0, std::string::npos, target, static_cast<std::size_t>(length)) == 0;
        return !found;
    });
    return found;
}

// The first process listed in procDir that is wanted, or 0.
pid_t FirstProcess(const std::string& procDir, const std::function<bool(pid_t)>& wanted) {
    pid_t first = 0;
    comdev::ForEachEntry(procDir, kMaxProcesses, [&](const std::string& name) {
        const pid_t pid = PidOfName(name.c_str());
        if (pid != 0 && wanted(pid)) first = pid;
        return first == 0;
    });
    return first;
}

}  // namespace

PortHolder RunningProcess(const std::string& procDir, pid_t pid) {
    return comdev::ProcessRuns(pid) ? Named(procDir, pid) : PortHolder{};
}

PortHolder ProcessWithOpen(const std::string& procDir, const std::string& devicePath) {
    const std::string device = comdev::CanonicalPath(devicePath);
    if (device.empty()) return {};
    const pid_t holder = FirstProcess(procDir, [&](pid_t pid) {
        return pid != getpid() && HasOpen(procDir + "/" + std::to_string(pid) + "/fd", device);
    });
    return holder != 0 ? Named(procDir, holder) : PortHolder{};
}

bool ModemManagerRuns(const std::string& procDir) {
    // A process that has just ended reads as no name.
    return FirstProcess(procDir, [&](pid_t pid) { return Named(procDir, pid).modemManager; }) != 0;
}
