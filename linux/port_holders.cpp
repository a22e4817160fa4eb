#include "port_holders.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "small_files.h"

namespace {

// Bounds the walk over /proc: processes, and descriptors of each.
constexpr int kMaxProcesses = 65536;
constexpr int kMaxDescriptors = 4096;

// The PID of a /proc entry, or 0.
pid_t PidOfName(const char* name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return 0;
    char* end = nullptr;
    const long pid = std::strtol(name, &end, 10);
    return *end == '\0' && pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

bool Runs(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM); }

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
    DIR* dir = opendir(fdDir.c_str());
    if (dir == nullptr) return false;  // gone, or not ours to look at
    bool found = false;
    int seen = 0;
    while (const dirent* entry = readdir(dir)) {
        if (found || ++seen > kMaxDescriptors) break;
        char target[PATH_MAX];
        const ssize_t length =
            readlink((fdDir + "/" + entry->d_name).c_str(), target, sizeof target - 1);
        found = length > 0 &&
                device.compare(0, std::string::npos, target, static_cast<std::size_t>(length)) == 0;
    }
    closedir(dir);
    return found;
}

}  // namespace

PortHolder RunningProcess(const std::string& procDir, pid_t pid) {
    return Runs(pid) ? Named(procDir, pid) : PortHolder{};
}

PortHolder ProcessWithOpen(const std::string& procDir, const std::string& devicePath) {
    char resolved[PATH_MAX];
    if (realpath(devicePath.c_str(), resolved) == nullptr) return {};
    const std::string device = resolved;
    DIR* dir = opendir(procDir.c_str());
    if (dir == nullptr) return {};
    PortHolder holder;
    int seen = 0;
    while (const dirent* entry = readdir(dir)) {
        if (++seen > kMaxProcesses) break;
        const pid_t pid = PidOfName(entry->d_name);
        if (pid == 0 || pid == getpid()) continue;
        if (HasOpen(procDir + "/" + entry->d_name + "/fd", device)) {
            holder = Named(procDir, pid);
            break;
        }
    }
    closedir(dir);
    return holder;
}

bool ModemManagerRuns(const std::string& procDir) {
    DIR* dir = opendir(procDir.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    int seen = 0;
    while (const dirent* entry = readdir(dir)) {
        if (++seen > kMaxProcesses) break;
        const pid_t pid = PidOfName(entry->d_name);
        // A process that has just ended reads as no name.
        if (pid != 0 && Named(procDir, pid).modemManager) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}
